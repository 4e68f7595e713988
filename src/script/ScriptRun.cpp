// ScriptReader runs and script threads. Until script threads exist a reader never has a thread
// to stop; stopping only raises the abort flag, which ResetFields clears again.
#include "script/ScriptReader.h"

void ScriptReader::StopThread() { m_Abort = 1; }
