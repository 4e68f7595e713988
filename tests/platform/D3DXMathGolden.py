#!/usr/bin/python3
"""Writes D3DXMathGolden.inc: expected values for D3DXMathTest.cpp from an independent oracle.

Rotation matrices come from SciPy's rotations (column-vector matrices, transposed here because the
engine uses row vectors); everything else is NumPy in double precision. Run it again after changing
the cases: /usr/bin/python3 tests/platform/D3DXMathGolden.py > tests/platform/D3DXMathGolden.inc
"""
import numpy as np
from scipy.spatial.transform import Rotation

rng = np.random.default_rng(20240607)


def fl(v):
    s = "%.9g" % float(v)
    return s if ("." in s or "e" in s) else s + ".0"


def row(vals):
    return "{" + ", ".join(fl(v) + "f" for v in vals) + "}"


def hamilton(p, q):  # (x, y, z, w) quaternions, p * q
    px, py, pz, pw = p
    qx, qy, qz, qw = q
    return np.array([pw * qx + px * qw + py * qz - pz * qy,
                     pw * qy - px * qz + py * qw + pz * qx,
                     pw * qz + px * qy - py * qx + pz * qw,
                     pw * qw - px * qx - py * qy - pz * qz])


out = []

# Rotation about an axis (the axis need not be unit length).
out.append("struct AxisCase { float axis[3]; float angle; float m[16]; };")
out.append("static const AxisCase kAxisCases[] = {")
axes = [(1, 0, 0), (0, 2, 0), (0, 0, -3), (1, 1, 1), (0.3, -0.5, 0.8), (-2.0, 0.5, 4.0)]
angles = [0.7, -1.2, np.pi / 2, 2.5, 3.0, -0.3]
for axis, ang in zip(axes, angles):
    a = np.array(axis, dtype=float)
    m = np.eye(4)
    m[:3, :3] = Rotation.from_rotvec(a / np.linalg.norm(a) * ang).as_matrix().T
    out.append("    {%s, %sf, %s}," % (row(a), fl(ang), row(m.flatten())))
out.append("};")

# Rotation of a unit quaternion.
out.append("struct QuatMatrixCase { float q[4]; float m[16]; };")
out.append("static const QuatMatrixCase kQuatMatrixCases[] = {")
for _ in range(5):
    q = rng.normal(size=4)
    q /= np.linalg.norm(q)
    m = np.eye(4)
    m[:3, :3] = Rotation.from_quat(q).as_matrix().T
    out.append("    {%s, %s}," % (row(q), row(m.flatten())))
out.append("};")

# Products: D3DX's product of a and b is the rotation a followed by b, i.e. Hamilton b * a.
out.append("struct QuatProductCase { float a[4]; float b[4]; float ab[4]; };")
out.append("static const QuatProductCase kQuatProductCases[] = {")
for _ in range(5):
    a = rng.normal(size=4)
    b = rng.normal(size=4)
    a /= np.linalg.norm(a)
    b /= np.linalg.norm(b)
    # cross-check the order against SciPy: applying a then b is the rotation Rb * Ra
    r = (Rotation.from_quat(b) * Rotation.from_quat(a)).as_quat()
    h = hamilton(b, a)
    assert np.allclose(r, h) or np.allclose(r, -h)
    out.append("    {%s, %s, %s}," % (row(a), row(b), row(h)))
out.append("};")

# Spherical interpolation on the shorter arc (b negated when the dot product is negative).
out.append("struct SlerpCase { float a[4]; float b[4]; float t; float r[4]; };")
out.append("static const SlerpCase kSlerpCases[] = {")
pairs = []
for _ in range(4):
    a = rng.normal(size=4)
    b = rng.normal(size=4)
    pairs.append((a / np.linalg.norm(a), b / np.linalg.norm(b)))
for (a, b), t in zip(pairs, [0.25, 0.5, 0.8, 1.5]):
    d = np.dot(a, b)
    bb = b
    if d < 0:
        bb = -b
        d = -d
    th = np.arccos(d)
    r = (np.sin((1 - t) * th) * a + np.sin(t * th) * bb) / np.sin(th)
    out.append("    {%s, %s, %sf, %s}," % (row(a), row(b), fl(t), row(r)))
out.append("};")

# Inverse and determinant.
out.append("struct InverseCase { float m[16]; float inv[16]; float det; };")
out.append("static const InverseCase kInverseCases[] = {")
for _ in range(4):
    m = rng.uniform(-3, 3, size=(4, 4))
    out.append("    {%s, %s, %sf}," % (row(m.flatten()), row(np.linalg.inv(m).flatten()), fl(np.linalg.det(m))))
out.append("};")

# Points through a projective matrix: (x, y, z, 1) x M, divided by w.
out.append("struct CoordCase { float p[3]; float m[16]; float r[3]; };")
out.append("static const CoordCase kCoordCases[] = {")
for _ in range(4):
    m = rng.uniform(-2, 2, size=(4, 4))
    m[3, 3] = 5.0  # keep w away from 0
    p = rng.uniform(-1, 1, size=3)
    h = np.append(p, 1.0) @ m
    out.append("    {%s, %s, %s}," % (row(p), row(m.flatten()), row(h[:3] / h[3])))
out.append("};")

# Reflection about the plane a x + b y + c z + d = 0 (normalised first).
out.append("struct ReflectCase { float plane[4]; float m[16]; };")
out.append("static const ReflectCase kReflectCases[] = {")
for pl in [(0, 1, 0, 0), (1, 2, 3, 4), (-2, 0.5, 1, -3)]:
    p = np.array(pl, dtype=float)
    n = np.linalg.norm(p[:3])
    nv, d = p[:3] / n, p[3] / n
    m = np.eye(4)
    m[:3, :3] -= 2 * np.outer(nv, nv)
    m[3, :3] = -2 * d * nv
    out.append("    {%s, %s}," % (row(p), row(m.flatten())))
out.append("};")

# A plane carried by a matrix: the plane as a row four-vector times the inverse of the transpose.
out.append("struct PlaneTransformCase { float plane[4]; float m[16]; float r[4]; };")
out.append("static const PlaneTransformCase kPlaneTransformCases[] = {")
for pl, m in [((0, 1, 0, -1), [[2, 0, 0, 0], [0, 3, 0, 0], [0, 0, 4, 0], [1, -2, 0.5, 1]]),
              ((1, 2, 3, 4), [[0.8, 0.6, 0, 0], [-0.6, 0.8, 0, 0], [0, 0, 1, 0], [3, 1, -2, 1]]),
              ((-2, 0.5, 1, -3), [[1, 2, 0, 0], [0, 1, 3, 0], [2, 0, 1, 0], [0.5, -1, 2, 1]])]:
    p = np.array(pl, dtype=float)
    m = np.array(m, dtype=float)
    out.append("    {%s, %s, %s}," % (row(p), row(m.flatten()), row(p @ np.linalg.inv(m.T))))
out.append("};")

print("// Generated by D3DXMathGolden.py from NumPy and SciPy; do not edit.")
print("\n".join(out))
