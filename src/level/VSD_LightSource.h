// VSD_LightSource: the properties of a light as a light type gives them; VSD_LightIntern: a light
// placed in a level, with the intensity factors, range and sample points that the light grid and
// the render side use. Both are world elements (type code 2); the level's light table owns the
// placed lights, and a light's slot there is its light ID.
#pragma once
#include "base/BezierSpline.h"
#include "world/WorldElem.h"

#include <cstdint>
#include <memory>

class VSD_LightSource : public WorldElem {
public:
    static constexpr uint8_t kNoneRanged = 0x01;  // "ranged" 0 or less
    static constexpr uint8_t kDirectional = 0x02;

    VSD_LightSource();
    VSD_LightSource(const VSD_LightSource& other) = default;
    VSD_LightSource& operator=(const VSD_LightSource& other) = default;
    ~VSD_LightSource() override;

    // 0xRRGGBB into the three colour bytes; marks the light changed ("SetLightCol").
    void SetLightCol(uint32_t colour);
    // Adds the time to the light's own clock and fades it.
    void Update(float dt) override;
    void Draw(int32_t a, int32_t b, int32_t c) override
    {
        (void)a;
        (void)b;
        (void)c;
    }
    // The largest colour byte, 0 for black.
    uint8_t GetMaxColour() const;

    uint16_t m_UpdateMode = 3;  // "LightUpdate"
    uint16_t m_CalcMode = 3;    // "LightCalc"
    uint8_t m_Colour[3] = {128, 128, 128};
    float m_Intensity = 5000.0f;
    float m_Span = 6.2831855f;       // radians: a full turn
    float m_FallOff = 0.17453292f;   // radians: 10 degrees
    float m_SpotSize = 50.0f;
    float m_NoneRangedFallOff = 64.0f;
    float m_Range = 0.0f;            // "MaxDist"; 0: worked out from colour and intensity
    float m_IntensityRadius = 0.0f;  // worked out
    float m_Size = 0.0f;             // the type's "size"; the range uses the element's radius
    float m_Flickering = 0.0f;
    float m_Specular = 1.0f;
    float m_Ambient = 0.0f;
    float m_PointLightSizeFactor = 300.0f;
    uint8_t m_SampleCount = 1;
    int32_t m_Value1 = 1;
    int32_t m_Value2 = 0;
    uint8_t m_LightFlags = 0;
    int32_t m_ConstantIllum = 255;
    float m_Direction[3] = {0.7071f, 0.0f, 0.7071f};
    BezierSpline<float> m_IntCurve;  // "intCurve", "intCurveLoopTime"
    double m_Clock = 0.0;            // seconds the light has been stepped
    int32_t m_Changed = 0;           // set by SetLightCol

protected:
    void ResetLightSource();
};

class VSD_LightIntern : public VSD_LightSource {
public:
    static constexpr int32_t kMaxSamples = 16;

    VSD_LightIntern();
    // A placed light made from a light type.
    explicit VSD_LightIntern(const VSD_LightSource& source);
    VSD_LightIntern(const VSD_LightIntern& other) = default;
    VSD_LightIntern& operator=(const VSD_LightIntern& other) = default;
    ~VSD_LightIntern() override;

    // The light's save record (VSD_LightInternRecord.cpp), after the WorldElem record.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Both factors from flicker, intensity curve and the fades of the light and its parent.
    void UpdateIntensity();
    // The element's fades; a fade of no time takes effect on the factors at once.
    void FadeIn(float seconds) override;
    void FadeOut(float seconds) override;

    float m_Factor = 1.0f;        // primary intensity factor
    float m_SecondFactor = 1.0f;  // secondary: flicker and intensity curve
    float m_RangeSq = 0.0f;
    float m_IntensityCopy = 0.0f;
    // Working fields of the light grid and the render side.
    int16_t m_GridValues[2] = {0, 0};
    int16_t m_ListSizes[2] = {64, 16};
    float m_WorkValues[6] = {};
    float m_LastValues[2] = {-1000.0f, -1000.0f};
    float m_Samples[kMaxSamples][2] = {};
    uint32_t m_Masks[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    int32_t m_Indices[2] = {-1, -1};
    // Set when the light enters the light grid.
    double m_RandomPhase = 0.0;  // 0 to 100
    double m_StartTime = 0.0;    // game time at entry
};
