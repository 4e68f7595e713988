// The sample game's answer to a lost connection: it counts them.
void onDisconnect()
{
    iTmp[3] = iTmp[3] + 1;
}
