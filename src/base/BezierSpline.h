// BezierSpline: a key curve over time with step, linear and cubic Hermite modes, looping, and its
// saved form; the value of a key is one float, or four floats (the colour curves of materials).
//
// Saved form (little-endian):
//   i32 key count, i32 mode, u8 loop flag, u8 second flag, f32 loop time,
//   then per key f32 time and the value, in-tangent and out-tangent, each as its floats
//   (16 bytes a key for one float, 52 for four).
// Tangents are per interval, not per unit of time; the in-tangent points backwards, so the curve
// arrives at a key with the negated in-tangent.
#pragma once
#include "base/File.h"
#include "base/Math.h"

#include <cmath>
#include <cstdint>
#include <vector>

// The value of a four-component curve; a new key holds (0, 0, 0, 1).
struct SplineVector4 {
    float v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    bool operator==(const SplineVector4& o) const
    {
        return v[0] == o.v[0] && v[1] == o.v[1] && v[2] == o.v[2] && v[3] == o.v[3];
    }
};

// The components of a key value.
template <typename V> struct SplineValue;
template <> struct SplineValue<float> {
    static constexpr int kCount = 1;
    static float& At(float& value, int) { return value; }
    static float At(const float& value, int) { return value; }
};
template <> struct SplineValue<SplineVector4> {
    static constexpr int kCount = 4;
    static float& At(SplineVector4& value, int i) { return value.v[i]; }
    static float At(const SplineVector4& value, int i) { return value.v[i]; }
};

template <typename V> class BezierSpline {
    using Components = SplineValue<V>;
    static constexpr int kCount = Components::kCount;

public:
    struct Key {
        float time = 0;
        V value{};
        V inTangent{};
        V outTangent{};
    };
    static constexpr int32_t kKeyBytes = 4 + 12 * kCount;

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
    float GetLoopTime() const { return m_LoopTime; }
    void SetLoopTime(float loopTime) { m_LoopTime = loopTime; }

    // The value of a one-float curve at time t; the slope is stored in derivative (when given) in
    // the cubic mode and outside the keys.
    double Evaluate(double t, float* derivative = nullptr) const
    {
        double value[kCount];
        double slope[kCount] = {};
        if (EvaluateComponents(t, value, derivative ? slope : nullptr))
            *derivative = float(slope[0]);
        return value[0];
    }

    // The same for a curve of any value type, component by component.
    V EvaluateValue(double t, V* derivative = nullptr) const
    {
        double value[kCount];
        double slope[kCount] = {};
        const bool sloped = EvaluateComponents(t, value, derivative ? slope : nullptr);
        V result{};
        for (int i = 0; i < kCount; i++) {
            Components::At(result, i) = float(value[i]);
            if (sloped)
                Components::At(*derivative, i) = float(slope[i]);
        }
        return result;
    }

    bool Save(File& file) const
    {
        bool ok = file.WriteInt32(GetNumKeys()) && file.WriteInt32(m_Mode) && file.WriteInt8(m_Loop) &&
                  file.WriteInt8(m_SecondFlag) && file.WriteFloat(m_LoopTime);
        for (const Key& k : m_Keys) {
            ok = ok && file.WriteFloat(k.time);
            for (const V* part : {&k.value, &k.inTangent, &k.outTangent})
                for (int i = 0; i < kCount; i++)
                    ok = ok && file.WriteFloat(Components::At(*part, i));
        }
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
            for (Key& k : loaded.m_Keys) {
                bool ok = file.ReadFloat(&k.time);
                for (V* part : {&k.value, &k.inTangent, &k.outTangent})
                    for (int i = 0; i < kCount; i++)
                        ok = ok && file.ReadFloat(&Components::At(*part, i));
                if (!ok)
                    file.Error("Key curve cut short");
            }
        }
        *this = std::move(loaded);
        return true;
    }

private:
    // Fills value (and slope, when given and defined); true when the slope was written.
    bool EvaluateComponents(double t, double* value, double* slope) const
    {
        const int32_t n = GetNumKeys();
        auto take = [&](const V& from, double* to, double sign) {
            for (int i = 0; i < kCount; i++)
                to[i] = sign * Components::At(from, i);
        };
        if (n == 0) {
            for (int i = 0; i < kCount; i++)
                value[i] = 0.0;
            if (slope)
                take(V{}, slope, 0.0);
            return slope != nullptr;
        }
        const Key* keys = m_Keys.data();
        const double first = keys[0].time;
        const double loopLength = double(m_LoopTime) - first;
        const bool looping = m_Loop && loopLength > 0;  // a loop of no length cannot wrap
        if (looping) {
            t = Math::WrapDouble(t, loopLength) + first;
        } else if (t <= first) {
            take(keys[0].value, value, 1.0);
            if (slope)
                take(keys[0].outTangent, slope, 1.0);
            return slope != nullptr;
        } else if (t >= keys[n - 1].time) {
            take(keys[n - 1].value, value, 1.0);
            if (slope)
                take(keys[n - 1].inTangent, slope, -1.0);
            return slope != nullptr;
        }

        // Key n of a looping curve stands for key 0 at the loop time.
        auto timeAt = [&](int32_t i) -> double { return i == n ? double(m_LoopTime) : double(keys[i].time); };
        int32_t lo = 0;
        int32_t hi = looping ? n : n - 1;
        while (hi > lo + 1) {  // interpolation search; equal or unordered times halve instead
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

        for (int i = 0; i < kCount; i++) {
            const double p0 = Components::At(a.value, i);
            const double p1 = Components::At(b.value, i);
            if (m_Mode < 0)
                value[i] = p0;
            else if (m_Mode == 0)
                value[i] = p0 + s * (p1 - p0);
        }
        if (m_Mode <= 0)
            return false;
        const double s2 = s * s;
        const double s3 = s2 * s;
        const double h00 = 2 * s3 - 3 * s2 + 1;
        const double inverseSpan = span > 0 ? double(float(1.0 / span)) : 0.0;
        for (int i = 0; i < kCount; i++) {
            const double p0 = Components::At(a.value, i);
            const double p1 = Components::At(b.value, i);
            const double out0 = Components::At(a.outTangent, i);
            const double in1 = Components::At(b.inTangent, i);
            if (slope)
                slope[i] = ((3 * s2 - 4 * s + 1) * out0 + 6 * (s2 - s) * p0 - 6 * (s2 - s) * p1 - (3 * s2 - 2 * s) * in1) *
                           inverseSpan;
            value[i] = (s3 - 2 * s2 + s) * out0 + h00 * p0 - (s3 - s2) * in1 + (1 - h00) * p1;
        }
        return slope != nullptr;
    }

    int32_t m_Mode = 0;
    uint8_t m_Loop = 0;
    uint8_t m_SecondFlag = 0;
    float m_LoopTime = 0;
    std::vector<Key> m_Keys;
};
