// BezierSpline: a one-dimensional key curve over time with step, linear and cubic Hermite modes,
// looping, and its saved form.
//
// Saved form (little-endian):
//   i32 key count, i32 mode, u8 loop flag, u8 second flag, f32 loop time,
//   then per key four f32: time, value, in-tangent, out-tangent.
// Tangents are per interval, not per unit of time; the in-tangent points backwards, so the curve
// arrives at a key with the negated in-tangent.
#pragma once
#include "base/File.h"
#include "base/Math.h"

#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

template <typename T> class BezierSpline {
    static_assert(std::is_same_v<T, float>, "keys are saved as 32-bit floats");

public:
    struct Key {
        T time = 0;
        T value = 0;
        T inTangent = 0;
        T outTangent = 0;
    };
    static constexpr int32_t kKeyBytes = 16;

    int32_t GetNumKeys() const { return int32_t(m_Keys.size()); }
    void SetNumKeys(int32_t count) { m_Keys.assign(size_t(count > 0 ? count : 0), Key()); }
    Key& GetKey(int32_t i) { return m_Keys[size_t(i)]; }
    const Key& GetKey(int32_t i) const { return m_Keys[size_t(i)]; }

    int32_t GetMode() const { return m_Mode; }  // below 0 step, 0 linear, 1 or more cubic
    void SetMode(int32_t mode) { m_Mode = mode; }
    bool IsLooping() const { return m_Loop != 0; }
    void SetLoop(bool loop) { m_Loop = loop ? 1 : 0; }
    uint8_t GetSecondFlag() const { return m_SecondFlag; }  // kept and saved; evaluation ignores it
    void SetSecondFlag(uint8_t flag) { m_SecondFlag = flag; }
    T GetLoopTime() const { return m_LoopTime; }
    void SetLoopTime(T loopTime) { m_LoopTime = loopTime; }

    // The value at time t; the slope is stored in derivative (when given) in the cubic mode and
    // outside the keys.
    double Evaluate(double t, float* derivative = nullptr) const
    {
        const int32_t n = GetNumKeys();
        if (n == 0) {
            if (derivative)
                *derivative = 0.0f;
            return 0.0;
        }
        const Key* keys = m_Keys.data();
        const double first = keys[0].time;
        const double loopLength = double(m_LoopTime) - first;
        const bool looping = m_Loop && loopLength > 0;  // a loop of no length cannot wrap
        if (looping) {
            t = Math::WrapDouble(t, loopLength) + first;
        } else if (t <= first) {
            if (derivative)
                *derivative = keys[0].outTangent;
            return keys[0].value;
        } else if (t >= keys[n - 1].time) {
            if (derivative)
                *derivative = -keys[n - 1].inTangent;
            return keys[n - 1].value;
        }

        // Key n of a looping curve stands for key 0 at the loop time.
        auto timeAt = [&](int32_t i) -> double { return i == n ? double(m_LoopTime) : double(keys[i].time); };
        int32_t lo = 0;
        int32_t hi = looping ? n : n - 1;
        while (hi > lo + 1) {  // interpolation search
            double span = timeAt(hi) - timeAt(lo);
            double g = span > 0 ? lo + (t - timeAt(lo)) / span * (hi - lo) : lo + (hi - lo) / 2.0;
            int32_t guess;
            if (!(g >= lo + 1))  // also NaN
                guess = lo + 1;
            else if (g >= hi - 1)
                guess = hi - 1;
            else
                guess = int32_t(g);
            if (timeAt(guess) <= t)
                lo = guess;
            else
                hi = guess;
        }
        const Key& a = keys[lo];
        const Key& b = keys[hi == n ? 0 : hi];
        const double span = timeAt(hi) - timeAt(lo);
        const double s = span > 0 ? (t - a.time) / span : 0.0;  // equal times: the interval has no inside

        if (m_Mode < 0)
            return a.value;
        if (m_Mode == 0)
            return a.value + s * (double(b.value) - a.value);
        const double s2 = s * s;
        const double s3 = s2 * s;
        const double h00 = 2 * s3 - 3 * s2 + 1;
        if (derivative) {
            float inverseSpan = span > 0 ? float(1.0 / span) : 0.0f;
            *derivative = float(((3 * s2 - 4 * s + 1) * a.outTangent + 6 * (s2 - s) * a.value -
                                 6 * (s2 - s) * b.value - (3 * s2 - 2 * s) * b.inTangent) *
                                inverseSpan);
        }
        return (s3 - 2 * s2 + s) * a.outTangent + h00 * a.value - (s3 - s2) * b.inTangent + (1 - h00) * b.value;
    }

    bool Save(File& file) const
    {
        bool ok = file.WriteInt32(GetNumKeys()) && file.WriteInt32(m_Mode) && file.WriteInt8(m_Loop) &&
                  file.WriteInt8(m_SecondFlag) && file.WriteFloat(m_LoopTime);
        for (const Key& k : m_Keys)
            ok = ok && file.WriteFloat(k.time) && file.WriteFloat(k.value) && file.WriteFloat(k.inTangent) &&
                 file.WriteFloat(k.outTangent);
        return ok;
    }

    // Replaces the curve; a short or lying record is an error of the file and leaves it unchanged.
    bool Load(File& file)
    {
        BezierSpline loaded;
        int32_t count = 0;
        if (!file.ReadInt32(&count) || !file.ReadInt32(&loaded.m_Mode) || !file.ReadInt8(&loaded.m_Loop) ||
            !file.ReadInt8(&loaded.m_SecondFlag) || !file.ReadFloat(&loaded.m_LoopTime))
            file.Error("Key curve cut short");
        if (count > 0) {
            if (count > file.GetRemaining() / kKeyBytes)
                file.Error("Key curve count %i exceeds the %i bytes left", count, file.GetRemaining());
            loaded.SetNumKeys(count);
            for (Key& k : loaded.m_Keys)
                if (!file.ReadFloat(&k.time) || !file.ReadFloat(&k.value) || !file.ReadFloat(&k.inTangent) ||
                    !file.ReadFloat(&k.outTangent))
                    file.Error("Key curve cut short");
        }
        *this = std::move(loaded);
        return true;
    }

private:
    int32_t m_Mode = 0;
    uint8_t m_Loop = 0;
    uint8_t m_SecondFlag = 0;
    T m_LoopTime = 0;
    std::vector<Key> m_Keys;
};
