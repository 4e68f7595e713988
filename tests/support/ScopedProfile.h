// ScopedProfile: an adapter profile installed for the graphics objects built while it lives, and
// the one before it installed again at its end.
#pragma once
#include "platform/D3D9Adapter.h"

class ScopedProfile {
public:
    explicit ScopedProfile(const D3D9AdapterProfile& profile) : m_Saved(GetInstalledAdapterProfile())
    {
        InstallAdapterProfile(profile);
    }
    ~ScopedProfile() { InstallAdapterProfile(m_Saved); }
    ScopedProfile(const ScopedProfile&) = delete;
    ScopedProfile& operator=(const ScopedProfile&) = delete;

private:
    D3D9AdapterProfile m_Saved;
};
