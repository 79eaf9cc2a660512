#include "tool/triangle_lanes.h"

#include <cmath>
#include <cstdint>

#include "geometry/crossing_steps.h"
#include "geometry/intersect.h"

namespace {

// The box where a prepared triangle can cross a segment, and the largest
// coordinate a segment may have for it to hold; tool/lane_search.h gives
// the reasons for each bound.
struct CrossingBox {
  double low[3], high[3];
  double reach = -1;  // none
};

// The box's values are all finite (BoxOf checks), so plain comparisons do;
// std::fmax and std::fmin would be library calls for the sake of NaNs.
double Max2(double a, double b) { return a < b ? b : a; }
double Min2(double a, double b) { return b < a ? b : a; }
double Max3(double a, double b, double c) { return Max2(Max2(a, b), c); }
double Min3(double a, double b, double c) { return Min2(Min2(a, b), c); }

CrossingBox BoxOf(const PreparedTriangle& t) {
  CrossingBox box = {{0, 0, 0}, {0, 0, 0}, -1};
  const double a[3] = {t.ax, t.ay, t.az};
  const double e1[3] = {t.e1x, t.e1y, t.e1z};
  const double e2[3] = {t.e2x, t.e2y, t.e2z};
  const double n[3] = {t.nx, t.ny, t.nz};
  for (const double v : {t.ax, t.ay, t.az, t.e1x, t.e1y, t.e1z, t.e2x, t.e2y,
                         t.e2z, t.nx, t.ny, t.nz, t.d, t.uu, t.uv, t.vv, t.den}) {
    if (!std::isfinite(v)) return box;
  }
  // The bounds hold for a well-conditioned triangle, |den| >= 2^-20 uu vv
  // (not nearly a needle), with edges far from the range of doubles below
  // 2^-1022, where roundings are no longer relative.
  const double gram = t.uu * t.vv;
  if (!(t.uu >= 0x1p-400 && t.vv >= 0x1p-400 && std::isfinite(gram) &&
        std::fabs(t.den) >= 0x1p-20 * gram))
    return box;

  const double n_l1 = std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]);
  const double n_max = Max3(std::fabs(n[0]), std::fabs(n[1]), std::fabs(n[2]));
  const double a_max = Max3(std::fabs(a[0]), std::fabs(a[1]), std::fabs(a[2]));
  const double e_l1 = std::fabs(e1[0]) + std::fabs(e1[1]) + std::fabs(e1[2]) +
                      std::fabs(e2[0]) + std::fabs(e2[1]) + std::fabs(e2[2]);
  const double e_max = Max3(std::fabs(e1[0]), std::fabs(e1[1]), std::fabs(e1[2])) +
                       Max3(std::fabs(e2[0]), std::fabs(e2[1]), std::fabs(e2[2]));
  // 2^-48 (n_l1 (2 reach + a_max) + |d|) = kEpsilon / 16. The bound needs
  // the factor 2^-49; the factor 2 to spare covers the roundings here.
  const double reach =
      (kEpsilon * 0x1p44 - n_l1 * a_max - std::fabs(t.d)) / (2 * n_l1);
  if (!(reach >= 0) || !std::isfinite(reach)) return box;

  const double margin =
      0x1p-16 * e_l1 + kEpsilon / n_max + 0x1p-40 * (a_max + e_max);
  for (int i = 0; i < 3; ++i) {
    const double b = a[i] + e1[i], c = a[i] + e2[i];
    box.low[i] = Min3(a[i], b, c) - margin;
    box.high[i] = Max3(a[i], b, c) + margin;
  }
  box.reach = reach;
  return box;
}

// Grows the box at `box` (a block's or a group's, its values kBlock apart)
// to hold `crossing_box`, or starts it there.
void Grow(double* box, bool start, const CrossingBox& crossing_box) {
  using Lanes = TriangleLanes;
  for (int i = 0; i < 3; ++i) {
    double& low = box[(Lanes::kBlockLowX + i) * Lanes::kBlock];
    double& high_negated = box[(Lanes::kBlockHighX + i) * Lanes::kBlock];
    if (start || crossing_box.low[i] < low) low = crossing_box.low[i];
    if (start || -crossing_box.high[i] < high_negated)
      high_negated = -crossing_box.high[i];
  }
  double& reach = box[Lanes::kBlockReach * Lanes::kBlock];
  if (start || crossing_box.reach < reach) reach = crossing_box.reach;
}

}  // namespace

std::size_t TriangleLanes::DoublesFor(std::size_t triangles) {
  const std::size_t blocks = GroupsOf(triangles);
  const std::size_t groups = GroupsOf(blocks);
  return blocks * kValues * kBlock +
         (groups + GroupsOf(groups)) * kGroupValues + kAlignmentSlack;
}

void TriangleLanes::Reserve(std::size_t triangles) {
  const std::size_t doubles = DoublesFor(triangles);
  if (doubles <= capacity_) return;
  // Not value-initialised: zeroing it all would touch every page of it
  // (fresh pages cost a run more than anything else it allocates) for
  // values that Assign writes anyway.
  values_.reset(new double[doubles]);
  capacity_ = doubles;
}

void TriangleLanes::Assign(const std::vector<Triangle>& triangles) {
  // Room for every triangle.
  Reserve(triangles.size());
  blocks_ = GroupsOf(triangles.size());
  const auto address = reinterpret_cast<std::uintptr_t>(values_.get());
  offset_ = (64 - address % 64) % 64 / sizeof(double);
  double* const first = values_.get() + offset_;
  double* const plane_region = first;
  double* const box_region = first + blocks_ * kPlaneValues * kBlock;
  double* const rest_region =
      first + blocks_ * (int{kPlaneValues} + int{kBoxValues}) * kBlock;
  double* const block_box_region = first + blocks_ * kValues * kBlock;
  double* const group_box_region =
      block_box_region + GroupsOf(blocks_) * kGroupValues;

  int index = 0;
  for (const Triangle& triangle : triangles) {
    const PreparedTriangle t =
        PrepareTriangle(triangle.a, triangle.b, triangle.c);
    if (!t.has_plane) continue;
    const std::size_t block = static_cast<std::size_t>(index / kBlock);
    const std::size_t lane = static_cast<std::size_t>(index % kBlock);
    double* plane = plane_region + block * kPlaneValues * kBlock + lane;
    double* box = box_region + block * kBoxValues * kBlock + lane;
    double* rest = rest_region + block * kRestValues * kBlock + lane;
    plane[kNx * kBlock] = t.nx;
    plane[kNy * kBlock] = t.ny;
    plane[kNz * kBlock] = t.nz;
    plane[kD * kBlock] = t.d;
    rest[kAx * kBlock] = t.ax;
    rest[kAy * kBlock] = t.ay;
    rest[kAz * kBlock] = t.az;
    rest[kE1x * kBlock] = t.e1x;
    rest[kE1y * kBlock] = t.e1y;
    rest[kE1z * kBlock] = t.e1z;
    rest[kE2x * kBlock] = t.e2x;
    rest[kE2y * kBlock] = t.e2y;
    rest[kE2z * kBlock] = t.e2z;
    rest[kUu * kBlock] = t.uu;
    rest[kUv * kBlock] = t.uv;
    rest[kVv * kBlock] = t.vv;
    rest[kDen * kBlock] = t.den;
    rest[kDenReciprocal * kBlock] = ScreenReciprocal(t.den);
    const CrossingBox crossing_box = BoxOf(t);
    box[kLowX * kBlock] = crossing_box.low[0];
    box[kLowY * kBlock] = crossing_box.low[1];
    box[kLowZ * kBlock] = crossing_box.low[2];
    box[kHighX * kBlock] = crossing_box.high[0];
    box[kHighY * kBlock] = crossing_box.high[1];
    box[kHighZ * kBlock] = crossing_box.high[2];
    box[kReach * kBlock] = crossing_box.reach;
    // The block's box and its group's grow to hold this triangle's; their
    // reaches shrink. The first triangle of each starts it.
    const std::size_t group = block / kBlock;
    Grow(block_box_region + group * kGroupValues + block % kBlock, lane == 0,
         crossing_box);
    Grow(group_box_region + group / kBlock * kGroupValues + group % kBlock,
         lane == 0 && block % kBlock == 0, crossing_box);
    ++index;
  }
  size_ = index;

  // The lanes after the last triangle kept hold zeros in every value, and
  // the blocks without a triangle (at the end, where triangles without a
  // plane were left out) a box of zeros.
  const std::size_t lanes = blocks_ * kBlock;
  auto zero_tail = [this, lanes](double* region, int values) {
    for (std::size_t i = static_cast<std::size_t>(size_); i < lanes; ++i) {
      const std::size_t block = i / kBlock, lane = i % kBlock;
      for (int v = 0; v < values; ++v)
        region[(block * values + v) * kBlock + lane] = 0.0;
    }
  };
  zero_tail(plane_region, kPlaneValues);
  zero_tail(box_region, kBoxValues);
  zero_tail(rest_region, kRestValues);
  auto zero_boxes = [](double* region, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      double* box = region + i / kBlock * kGroupValues + i % kBlock;
      for (int v = 0; v < kBlockBoxValues; ++v) box[v * kBlock] = 0.0;
    }
  };
  const std::size_t used_blocks = GroupsOf(static_cast<std::size_t>(size_));
  const std::size_t groups = GroupsOf(blocks_);
  zero_boxes(block_box_region, used_blocks, groups * kBlock);
  zero_boxes(group_box_region, GroupsOf(used_blocks), GroupsOf(groups) * kBlock);
}
