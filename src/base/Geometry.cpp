// Geometry: frames, segments, circles, distances, ray and triangle, and the moving-circle wall tests.
#include "base/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

struct V2 {
    double x = 0, y = 0;
    V2() = default;
    V2(double x_, double y_) : x(x_), y(y_) {}
    V2(const D3DXVECTOR2& v) : x(v.x), y(v.y) {}
    V2 operator+(const V2& o) const { return {x + o.x, y + o.y}; }
    V2 operator-(const V2& o) const { return {x - o.x, y - o.y}; }
    V2 operator-() const { return {-x, -y}; }
    V2 operator*(double f) const { return {x * f, y * f}; }
    double Dot(const V2& o) const { return x * o.x + y * o.y; }
    double Length() const { return std::sqrt(x * x + y * y); }
};

struct V3 {
    double x = 0, y = 0, z = 0;
    V3() = default;
    V3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    V3(const D3DXVECTOR3& v) : x(v.x), y(v.y), z(v.z) {}
    V3 operator+(const V3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    V3 operator-(const V3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    V3 operator*(double f) const { return {x * f, y * f, z * f}; }
    double Dot(const V3& o) const { return x * o.x + y * o.y + z * o.z; }
    double Length() const { return std::sqrt(Dot(*this)); }
};

bool LineParams(V2 centre, double r, V2 p1, V2 d, float& tIn, float& tOut, float& tClosest)
{
    const double length = d.Length();
    const V2 u = d * (1.0 / length);
    const V2 w = centre - p1;
    const double q = u.Dot(w);
    tClosest = float(q / length);
    const V2 off = w - u * q;
    const double h2 = off.Dot(off);
    if (r * r < h2)
        return false;
    const double k = std::sqrt(r * r - h2) / length;
    tIn = float(tClosest - k);
    tOut = float(tClosest + k);
    return true;
}

void SetSlide(WallHit& out, V2 v)
{
    out.slideX = float(v.x);
    out.slideY = float(v.y);
}

void SetNormal(WallHit& out, V2 v)
{
    out.normalX = float(v.x);
    out.normalY = float(v.y);
}

}  // namespace

namespace Math {

bool ApproxEqual(float a, float b)
{
    const double t = 1e-6 * std::fabs(double(a));
    return double(a) - t <= b && b <= double(a) + t;
}

float QuantizeFloat(float x)
{
    if (std::isnan(x))
        return x;
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    if (!(bits & 4)) {
        bits &= ~7u;
    } else {
        const uint32_t sign = bits & 0x80000000u;
        uint32_t exponent = (bits >> 23) & 0xFF;
        uint32_t mantissa = (bits & 0x7FFFF8u) + 8;
        if (mantissa > 0x7FFFFFu) {
            mantissa = 0;
            exponent++;
        }
        bits = sign | (exponent << 23) | mantissa;
    }
    std::memcpy(&x, &bits, 4);
    return x;
}

double FrameDeterminant2D(const Frame2D& f)
{
    return double(f.ax) * f.by - double(f.bx) * f.ay;
}

void PointToFrame2DWithDet(const Frame2D& f, const D3DXVECTOR2& point, D3DXVECTOR2& out, double det)
{
    const double dx = double(point.x) - f.ox, dy = double(point.y) - f.oy;
    out.x = float((dx * f.by - double(f.bx) * dy) / det);
    out.y = float((dy * f.ax - dx * f.ay) / det);
}

void PointToFrame2D(const Frame2D& f, const D3DXVECTOR2& point, D3DXVECTOR2& out)
{
    PointToFrame2DWithDet(f, point, out, FrameDeterminant2D(f));
}

bool IntersectSegments2D(const Segment2D& s, const Segment2D& t, float& out)
{
    const V2 d(double(s.x2) - s.x1, double(s.y2) - s.y1);
    const V2 e(double(t.x2) - t.x1, double(t.y2) - t.y1);
    const V2 w(double(s.x1) - t.x1, double(s.y1) - t.y1);
    const double den = e.x * d.y - d.x * e.y;
    if (den == 0)
        return false;
    const double ps = (e.y * w.x - e.x * w.y) / den;
    const double pt = (w.x * d.y - w.y * d.x) / den;
    out = float(pt);
    return ps >= 0 && ps <= 1 && pt >= 0 && pt <= 1;
}

bool CircleLineParams(const Circle2D& c, const Segment2D& s, float& tIn, float& tOut, float& tClosest)
{
    return LineParams(V2(c.x, c.y), c.r, V2(s.x1, s.y1), V2(double(s.x2) - s.x1, double(s.y2) - s.y1), tIn, tOut,
                      tClosest);
}

bool CircleRayParams(const Circle2D& c, const D3DXVECTOR2& direction, float& tIn, float& tOut, float& tClosest)
{
    return LineParams(V2(c.x, c.y), c.r, V2(0, 0), V2(direction), tIn, tOut, tClosest);
}

bool SegmentHitsCircle(const Circle2D& circle, const Segment2D& segment, float& out)
{
    float tIn = 0, tOut = 0, tClosest = 0;
    const bool meets = CircleLineParams(circle, segment, tIn, tOut, tClosest);
    if (meets && tIn > 0 && tIn <= 1) {
        out = tIn;
        return true;
    }
    if (meets && tOut > 0 && tOut <= 1) {
        out = tOut;
        return true;
    }
    out = tClosest;
    return false;
}

bool CircleTouchesSegment(const Circle2D& c, const Segment2D& s)
{
    const V2 centre(c.x, c.y), p1(s.x1, s.y1), p2(s.x2, s.y2);
    const V2 d = p2 - p1;
    const V2 u = d * (1.0 / d.Length());
    const double q = u.Dot(centre - p1);
    const V2 off = (centre - p1) - u * q;
    const double h2 = off.Dot(off);
    const double r2 = double(float(double(c.r) * c.r));
    if (h2 > r2)
        return false;
    if (q * u.Dot(centre - p2) <= 0)
        return true;
    const V2 a = centre - p1, b = centre - p2;
    return a.Dot(a) <= r2 || b.Dot(b) <= r2;
}

double DistancePointLine3D(const Line3D& line, const D3DXVECTOR3& point)
{
    const V3 d(line.direction);
    const V3 u = d * (1.0 / d.Length());
    const V3 w = V3(line.point) - V3(point);
    return (w - u * u.Dot(w)).Length();
}

double DistancePointSegment3D(const Segment3D& s, const D3DXVECTOR3& point)
{
    const V3 a(s.a), b(s.b), p(point);
    const V3 ab = b - a;
    const double t = (p - a).Dot(ab) / ab.Dot(ab);
    if (t <= 0)
        return (p - a).Length();
    if (t < 1)
        return (p - (a + ab * t)).Length();
    return (p - b).Length();
}

double SignedDistanceToLine2D(const Line2D& l, const D3DXVECTOR2& q)
{
    const double dx = l.dx, dy = l.dy;
    return (dy * (double(q.x) - l.px) - dx * (double(q.y) - l.py)) / std::sqrt(dx * dx + dy * dy);
}

bool IntersectSegmentBox(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi)
{
    // Slabs: the part of the segment within each pair of faces, in double.
    const double from[3] = {a.x, a.y, a.z}, to[3] = {b.x, b.y, b.z};
    const double low[3] = {lo.x, lo.y, lo.z}, high[3] = {hi.x, hi.y, hi.z};
    double enter = 0.0, leave = 1.0;
    for (int i = 0; i < 3; i++) {
        const double d = to[i] - from[i];
        if (d == 0.0) {
            if (!(from[i] >= low[i] && from[i] <= high[i]))
                return false;  // beside the slab, never entering it
            continue;
        }
        double t0 = (low[i] - from[i]) / d, t1 = (high[i] - from[i]) / d;
        if (std::isnan(t0) || std::isnan(t1))
            return false;
        if (t0 > t1)
            std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
        if (!(enter <= leave))
            return false;
    }
    return true;
}

bool IntersectRayTriangle(const Triangle3D& tri, const Ray3D& ray, float& out)
{
    const D3DXVECTOR3 e1 = tri.b - tri.a, e2 = tri.c - tri.a;
    D3DXVECTOR3 n;
    D3DXVec3Cross(&n, &e2, &e1);
    if (std::fabs(V3(n).Dot(V3(ray.direction))) < 1e-10)
        return false;  // the ray runs in the triangle's plane
    // (u, v, t) x M = u e1 + v e2 - t dir = origin - a, with the rows of M being e1, e2, -dir.
    const D3DXMATRIX m(e1.x, e1.y, e1.z, 0, e2.x, e2.y, e2.z, 0, -ray.direction.x, -ray.direction.y,
                       -ray.direction.z, 0, 0, 0, 0, 1);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &m))
        return false;
    const D3DXVECTOR3 rel = ray.origin - tri.a;
    D3DXVECTOR3 uvt;
    D3DXVec3TransformCoord(&uvt, &rel, &inverse);
    if (uvt.x < 0 || uvt.x > 1 || uvt.y < 0 || uvt.y > 1 || uvt.x + uvt.y > 1)
        return false;
    out = uvt.z;
    return true;
}

D3DXVECTOR3& TransformCoord(const D3DXMATRIX& matrix, const D3DXVECTOR3& point, D3DXVECTOR3& out)
{
    D3DXVec3TransformCoord(&out, &point, &matrix);
    return out;
}

WallHit& MovingCircleVsWallBody(WallHit& out, const D3DXVECTOR2& p1In, const D3DXVECTOR2& p2In,
                                const D3DXVECTOR2& mIn, float g, float r)
{
    const V2 p1(p1In), p2(p2In), m(mIn);
    const V2 d = p2 - p1;
    const double length = d.Length();
    out.hit = false;
    out.sliding = false;
    if (length == 0)
        return out;
    const V2 u = d * (1.0 / length);
    const V2 w = -p1;
    out.side = w.x * u.y - u.x * w.y >= 0;
    const V2 n = out.side ? V2(u.y, -u.x) : V2(-u.y, u.x);
    const double along = w.Dot(u) / length;
    out.embedded = n.Dot(w) < r && along > 0 && along < 1;
    if (out.embedded)
        return out;
    SetSlide(out, m.Dot(u) >= 0 ? u : -u);
    SetNormal(out, n);
    const double moved = m.Length();
    if (moved == 0)
        return out;
    const double c = n.Dot(m) / moved;
    if (c > 1e-5)
        return out;  // moving away
    if (c > -1e-5) {  // moving along the wall
        if (g <= 0)
            return out;
        const double h = std::fabs(n.Dot(w));
        if (c * moved + (h - r) >= g)
            return out;
        const double s = (w + m).Dot(u) / length;
        if (s > 0 && s < 1) {
            out.sliding = true;
            const V2 at = p1 + d * s + n * (double(g) + r);
            out.posX = float(at.x);
            out.posY = float(at.y);
        }
        return out;
    }
    const V2 q = -(p1 + n * (double(g) + r));  // the wall line moved toward the centre
    const double den = m.x * d.y - m.y * d.x;
    if (den == 0)
        return out;
    const double a = (q.y * m.x - q.x * m.y) / den;
    if (a < 0 || a > 1)
        return out;
    const double b = (q.y * d.x - q.x * d.y) / den;
    if (b > 1)
        return out;
    if (b >= 0) {
        out.hit = true;
        out.t = float(b);
    } else if (g > 0) {  // already inside the clearance band
        out.hit = true;
        out.t = 0.0f;
    }
    return out;
}

WallHit& MovingCircleVsWallEnd(WallHit& out, const D3DXVECTOR2& endIn, float r, const D3DXVECTOR2& mIn, float g)
{
    const V2 end(endIn), m(mIn);
    const V2 c = -end;
    const double distance = c.Length();
    const double e = distance - r;
    out.embedded = e <= 0;
    out.side = e > 0;
    out.hit = false;
    out.sliding = false;
    const double moved = m.Length();
    if (moved == 0 || 2.0 * g + moved < e)
        return out;
    const V2 n = distance > 0 ? c * (1.0 / distance) : c;
    if (std::fabs(e) >= g) {
        Circle2D around;
        around.x = float(end.x);
        around.y = float(end.y);
        around.r = e <= 0 ? r - g : r + g;
        float tIn = 0, tOut = 0, tClosest = 0;
        if (!CircleRayParams(around, mIn, tIn, tOut, tClosest))
            return out;
        const double t = e > 0 ? tIn : tOut;
        if (t > 1)
            return out;
        const V2 toward = m * t - end;
        const double l = toward.Length();
        const V2 normal = l > 0 ? toward * (1.0 / l) : n;
        SetNormal(out, normal);
        SetSlide(out, V2(normal.y, -normal.x));
        if (t > 0) {
            out.hit = true;
            out.t = float(t);
        } else if (m.Dot(n) / moved < 0) {
            out.hit = true;
            out.t = 0.0f;
        }
    } else if (e > 0 && m.Dot(n) / moved < -1e-5) {  // inside the clearance band, closing in
        out.hit = true;
        out.t = 0.0f;
        SetNormal(out, n);
        SetSlide(out, V2(n.y, -n.x));
    }
    if (V2(out.slideX, out.slideY).Dot(m) < 0)
        SetSlide(out, V2(-out.slideX, -out.slideY));
    return out;
}

WallHit& MovingCircleVsWall(WallHit& out, const D3DXVECTOR2& p1, const D3DXVECTOR2& p2, const D3DXVECTOR2& m,
                            float r, float g)
{
    out = WallHit();  // a defined record even for a wall of no length or no movement
    if (!(p1 == p2))
        MovingCircleVsWallBody(out, p1, p2, m, g, r);
    if (out.embedded)
        return out;
    const bool side = out.side;
    for (const D3DXVECTOR2* end : {&p1, &p2}) {
        WallHit atEnd;
        MovingCircleVsWallEnd(atEnd, *end, r, m, g);
        if (atEnd.hit && atEnd.side && (!out.hit || atEnd.t < out.t))
            out = atEnd;
        if (atEnd.embedded)
            out.embedded = true;
    }
    out.side = side;
    return out;
}

}  // namespace Math
