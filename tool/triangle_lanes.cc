#include "tool/triangle_lanes.h"

#include <cstdint>

#include "geometry/crossing_steps.h"
#include "geometry/intersect.h"

namespace {

std::size_t BlocksFor(std::size_t triangles) {
  return (triangles + TriangleLanes::kBlock - 1) / TriangleLanes::kBlock;
}

}  // namespace

void TriangleLanes::Reserve(std::size_t triangles) {
  values_.reserve(BlocksFor(triangles) * kBlockValues + kAlignmentSlack);
}

void TriangleLanes::Assign(const std::vector<Triangle>& triangles) {
  // Room for every triangle; lanes left over stay zero.
  values_.assign(BlocksFor(triangles.size()) * kBlockValues + kAlignmentSlack,
                 0.0);
  const auto address = reinterpret_cast<std::uintptr_t>(values_.data());
  offset_ = (64 - address % 64) % 64 / sizeof(double);

  int index = 0;
  for (const Triangle& triangle : triangles) {
    const PreparedTriangle t =
        PrepareTriangle(triangle.a, triangle.b, triangle.c);
    if (!t.has_plane) continue;
    double* v = values_.data() + offset_ +
                static_cast<std::size_t>(index / kBlock) * kBlockValues +
                index % kBlock;
    v[kAx * kBlock] = t.ax;
    v[kAy * kBlock] = t.ay;
    v[kAz * kBlock] = t.az;
    v[kE1x * kBlock] = t.e1x;
    v[kE1y * kBlock] = t.e1y;
    v[kE1z * kBlock] = t.e1z;
    v[kE2x * kBlock] = t.e2x;
    v[kE2y * kBlock] = t.e2y;
    v[kE2z * kBlock] = t.e2z;
    v[kNx * kBlock] = t.nx;
    v[kNy * kBlock] = t.ny;
    v[kNz * kBlock] = t.nz;
    v[kD * kBlock] = t.d;
    v[kUu * kBlock] = t.uu;
    v[kUv * kBlock] = t.uv;
    v[kVv * kBlock] = t.vv;
    v[kDen * kBlock] = t.den;
    v[kDenReciprocal * kBlock] = ScreenReciprocal(t.den);
    ++index;
  }
  size_ = index;
}
