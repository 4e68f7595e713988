// VoiceClass: the main character's class as the dialogue and subtitle lookups use it: its
// configuration ID without "ch_", the class-specific table it picks, and the voice prefix of the
// hero's recorded lines ("MA_", "PL_", "PY_" by the class name's second letter).
#pragma once
#include "base/String.h"

class CreatureObj;

class VoiceClass {
public:
    // No character: an empty class, no class table, no voice.
    explicit VoiceClass(const CreatureObj* character);
    explicit VoiceClass(const String& name) : m_Name(name) {}

    const String& GetName() const { return m_Name; }
    // base + "_" + the class name; empty when the name could change a query (a class that came
    // from a client may be anything), so that only the general table is asked.
    String TableName(const char* base) const;
    const char* GetVoicePrefix() const;
    // The voice prefix before the file name.
    String VoicedFile(const String& file) const;

private:
    String m_Name;
};
