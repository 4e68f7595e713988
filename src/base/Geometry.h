// Geometry: the plane and space geometry of movement, collision and picking: frames, segments,
// circles, distances, ray and triangle, and a moving circle against walls. Floats in, computed in
// double; parameters along a segment are 0 at its first point and 1 at its second.
#pragma once
#include "platform/D3DXMath.h"

#include <cstdint>

struct Frame2D {  // origin, axis A, axis B
    float ox = 0, oy = 0, ax = 0, ay = 0, bx = 0, by = 0;
};
struct Segment2D {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct Circle2D {
    float x = 0, y = 0, r = 0;
};
struct Line2D {  // a point and a direction
    float px = 0, py = 0, dx = 0, dy = 0;
};
struct Line3D {
    D3DXVECTOR3 point, direction;
};
struct Segment3D {
    D3DXVECTOR3 a, b;
};
struct Triangle3D {
    D3DXVECTOR3 a, b, c;
};
struct Ray3D {
    D3DXVECTOR3 origin, direction;
};

// What a wall test found. Directions and positions are relative to the circle's centre at the
// start of the step.
struct WallHit {
    bool hit = false;
    float t = 0.0f;  // fraction of the movement at which contact is reached
    bool sliding = false;
    float slideX = 0.0f, slideY = 0.0f;    // along the wall or around the end, with the movement
    float normalX = 0.0f, normalY = 0.0f;  // unit vector from the wall toward the circle
    float posX = 0.0f, posY = 0.0f;        // when sliding: where the centre keeps its distance
    bool side = false;
    bool embedded = false;  // the circle already overlaps the wall
};

namespace Math {

// b within a relative band of 1e-6 x |a| around a.
bool ApproxEqual(float a, float b);
// x with its mantissa cut to 20 bits, rounded to nearest; NaN stays.
float QuantizeFloat(float x);

void PointToFrame2D(const Frame2D& frame, const D3DXVECTOR2& point, D3DXVECTOR2& out);
double FrameDeterminant2D(const Frame2D& frame);
void PointToFrame2DWithDet(const Frame2D& frame, const D3DXVECTOR2& point, D3DXVECTOR2& out, double det);
// out: the parameter along t (written whenever the lines are not parallel).
bool IntersectSegments2D(const Segment2D& s, const Segment2D& t, float& out);
bool CircleLineParams(const Circle2D& circle, const Segment2D& segment, float& tIn, float& tOut, float& tClosest);
bool CircleRayParams(const Circle2D& circle, const D3DXVECTOR2& direction, float& tIn, float& tOut, float& tClosest);
bool SegmentHitsCircle(const Circle2D& circle, const Segment2D& segment, float& out);
bool CircleTouchesSegment(const Circle2D& circle, const Segment2D& segment);
double DistancePointLine3D(const Line3D& line, const D3DXVECTOR3& point);
double DistancePointSegment3D(const Segment3D& segment, const D3DXVECTOR3& point);
double SignedDistanceToLine2D(const Line2D& line, const D3DXVECTOR2& point);
// Whether the segment a-b meets the box from lo to hi (faces and edges included; a segment inside
// meets it).
bool IntersectSegmentBox(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi);
// A hit behind the origin (negative out) counts.
bool IntersectRayTriangle(const Triangle3D& triangle, const Ray3D& ray, float& out);
D3DXVECTOR3& TransformCoord(const D3DXMATRIX& matrix, const D3DXVECTOR3& point, D3DXVECTOR3& out);

// The wall tests: the circle of radius r starts at the origin and moves by m; g is the clearance
// it keeps from walls.
WallHit& MovingCircleVsWallBody(WallHit& out, const D3DXVECTOR2& p1, const D3DXVECTOR2& p2, const D3DXVECTOR2& m,
                                float g, float r);
WallHit& MovingCircleVsWallEnd(WallHit& out, const D3DXVECTOR2& end, float r, const D3DXVECTOR2& m, float g);
// Body first, then both ends; the earliest hit. The record is set whole, whatever it held.
WallHit& MovingCircleVsWall(WallHit& out, const D3DXVECTOR2& p1, const D3DXVECTOR2& p2, const D3DXVECTOR2& m,
                            float r, float g);

}  // namespace Math
