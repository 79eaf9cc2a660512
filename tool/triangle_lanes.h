#ifndef VANTREL_TOOL_TRIANGLE_LANES_H_
#define VANTREL_TOOL_TRIANGLE_LANES_H_

#include <cstddef>
#include <memory>
#include <vector>

#include "geometry/records.h"

/// The triangles of a surface set, prepared for the trimming pass: the part
/// of the crossing test that depends on a triangle alone (the values of
/// PreparedTriangle, the reciprocal of den with which the pass screens its
/// divisions, and the box where the triangle can cross a segment, see
/// tool/lane_search.h), computed once per triangle. Only triangles with a
/// plane are kept, in file order: one without never trims a segment, so
/// leaving it out changes no result.
///
/// The values stand in blocks of kBlock triangles, each value of a block in
/// kBlock consecutive doubles, so that consecutive triangles fill the lanes
/// of a vector. Lanes past the last triangle hold zeros.
class TriangleLanes {
 public:
  /// Triangles per block: the lanes of the widest vector the pass uses.
  static constexpr int kBlock = 8;

  /// Pointers to the values of one triangle; the next triangles of its
  /// block follow each value. The names are those of PreparedTriangle.
  struct View {
    const double *ax, *ay, *az;
    const double *e1x, *e1y, *e1z;
    const double *e2x, *e2y, *e2z;
    const double *nx, *ny, *nz;
    const double* d;
    const double *uu, *uv, *vv;
    const double* den;
    const double* den_reciprocal;  // ScreenReciprocal(den)
    // The box that holds every crossing with a segment whose coordinates
    // are at most `reach` in magnitude; a reach of -1 holds for none.
    const double *low_x, *low_y, *low_z, *high_x, *high_y, *high_z;
    const double* reach;
  };

  /// Makes room for `triangles` triangles, so that Assign with no more than
  /// that many allocates nothing.
  void Reserve(std::size_t triangles);

  /// Replaces the contents with the prepared form of `triangles`.
  void Assign(const std::vector<Triangle>& triangles);

  /// The number of triangles kept (those with a plane).
  int size() const { return size_; }

  /// Where the blocks stand. The values are kept in three groups, each in
  /// blocks of its own, so that the values the pass reads first lie
  /// together in memory and the rest stays out of the way: the plane (nx,
  /// ny, nz, d), the crossing box (low, high, reach), and all else.
  struct Regions {
    const double* plane;
    const double* box;
    const double* rest;
    // The blocks' own boxes, in groups of kBlock blocks laid out as the
    // triangles' values are: for each block the box that holds the boxes
    // of its triangles (low x y z, then high x y z negated) and the least
    // of their reaches; each group holds kGroupValues doubles.
    const double* block_boxes;
    // One level up, the same for the groups of blocks: the box of each
    // group, which holds its blocks' boxes, laid out in the same way in
    // groups of kBlock groups.
    const double* group_boxes;
  };

  /// The values of triangle `index` (counted among those kept).
  View At(int index) const { return ViewAt<TriangleLanes>(regions(), index); }

  Regions regions() const {
    const double* first = values_.get() + offset_;
    const double* block_boxes = first + blocks_ * kValues * kBlock;
    return Regions{
        first, first + blocks_ * kPlaneValues * kBlock,
        first + blocks_ * (int{kPlaneValues} + int{kBoxValues}) * kBlock,
        block_boxes, block_boxes + GroupsOf(blocks_) * kGroupValues};
  }

  /// The values of triangle `index` in `regions`. The parameter `User` only
  /// gives each caller a copy of its own: pass a type of the calling file's
  /// own when the file is compiled for a wider instruction set, so that the
  /// copy compiled for it is never shared with code that runs on every
  /// processor.
  template <class User>
  static View ViewAt(const Regions& regions, int index) {
    // Unsigned, so that dividing is shifting.
    const unsigned block = static_cast<unsigned>(index) / kBlock;
    const unsigned lane = static_cast<unsigned>(index) % kBlock;
    const double* plane = regions.plane + block * kPlaneValues * kBlock + lane;
    const double* box = regions.box + block * kBoxValues * kBlock + lane;
    const double* rest = regions.rest + block * kRestValues * kBlock + lane;
    return View{.ax = rest + kAx * kBlock,    .ay = rest + kAy * kBlock,
                .az = rest + kAz * kBlock,    .e1x = rest + kE1x * kBlock,
                .e1y = rest + kE1y * kBlock,  .e1z = rest + kE1z * kBlock,
                .e2x = rest + kE2x * kBlock,  .e2y = rest + kE2y * kBlock,
                .e2z = rest + kE2z * kBlock,  .nx = plane + kNx * kBlock,
                .ny = plane + kNy * kBlock,   .nz = plane + kNz * kBlock,
                .d = plane + kD * kBlock,     .uu = rest + kUu * kBlock,
                .uv = rest + kUv * kBlock,    .vv = rest + kVv * kBlock,
                .den = rest + kDen * kBlock,
                .den_reciprocal = rest + kDenReciprocal * kBlock,
                .low_x = box + kLowX * kBlock,
                .low_y = box + kLowY * kBlock,
                .low_z = box + kLowZ * kBlock,
                .high_x = box + kHighX * kBlock,
                .high_y = box + kHighY * kBlock,
                .high_z = box + kHighZ * kBlock,
                .reach = box + kReach * kBlock};
  }

 private:
  // Where each value stands in the blocks of its group.
  enum PlaneValue { kNx, kNy, kNz, kD, kPlaneValues };
  enum BoxValue { kLowX, kLowY, kLowZ, kHighX, kHighY, kHighZ, kReach, kBoxValues };
  enum RestValue {
    kAx, kAy, kAz, kE1x, kE1y, kE1z, kE2x, kE2y, kE2z,
    kUu, kUv, kVv, kDen, kDenReciprocal, kRestValues
  };
  // Doubles per triangle, and per block for its box.
  static constexpr int kValues =
      int{kPlaneValues} + int{kBoxValues} + int{kRestValues};

 public:
  enum BlockBoxValue {
    kBlockLowX, kBlockLowY, kBlockLowZ, kBlockHighX, kBlockHighY, kBlockHighZ,
    kBlockReach, kBlockBoxValues
  };
  static constexpr int kGroupValues = kBlockBoxValues * kBlock;

 private:
  // Doubles allocated beyond the blocks, so that the first block can start
  // on a 64-byte boundary (the size of the widest vector).
  static constexpr int kAlignmentSlack = 7;

  // Doubles allocated for `triangles` triangles.
  static std::size_t DoublesFor(std::size_t triangles);
  // The groups of kBlock that `n` make: the blocks of n triangles, the
  // groups of n blocks.
  static std::size_t GroupsOf(std::size_t n) { return (n + kBlock - 1) / kBlock; }

  // Left uninitialised when allocated: Assign writes every value that the
  // pass may read.
  std::unique_ptr<double[]> values_;
  std::size_t capacity_ = 0;  // doubles in values_
  std::size_t offset_ = 0;    // of the first block in values_
  std::size_t blocks_ = 0;  // in each group
  int size_ = 0;
};

#endif  // VANTREL_TOOL_TRIANGLE_LANES_H_
