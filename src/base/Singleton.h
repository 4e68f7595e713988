// Singleton: base of a class with one process-wide object, reachable from anywhere once made.
#pragma once
#include <cassert>

template <class T> class Singleton {
public:
    Singleton()
    {
        assert(!ms_Instance && "a second object of a singleton class");
        ms_Instance = this;  // the cast to T waits until T is complete
    }
    ~Singleton() { ms_Instance = nullptr; }
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    static T* GetSingletonPtr() { return static_cast<T*>(ms_Instance); }  // null while none exists
    static T& GetSingleton()
    {
        assert(ms_Instance);
        return *GetSingletonPtr();
    }

private:
    static inline Singleton* ms_Instance = nullptr;
};
