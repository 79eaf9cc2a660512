#ifndef VANTREL_TOOL_TRIANGLE_LANES_H_
#define VANTREL_TOOL_TRIANGLE_LANES_H_

#include <cstddef>
#include <vector>

#include "geometry/records.h"

/// The triangles of a surface set, prepared for the trimming pass: the part
/// of the crossing test that depends on a triangle alone (the values of
/// PreparedTriangle, and the reciprocal of den with which the pass screens
/// its divisions), computed once per triangle. Only triangles with a
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
  };

  /// Makes room for `triangles` triangles, so that Assign with no more than
  /// that many allocates nothing.
  void Reserve(std::size_t triangles);

  /// Replaces the contents with the prepared form of `triangles`.
  void Assign(const std::vector<Triangle>& triangles);

  /// The number of triangles kept (those with a plane).
  int size() const { return size_; }

  /// The values of triangle `index` (counted among those kept).
  View At(int index) const { return ViewAt<TriangleLanes>(blocks(), index); }

  /// The first block; a block holds kBlock * kValues doubles.
  const double* blocks() const { return values_.data() + offset_; }

  /// The values of triangle `index` in the blocks that start at `blocks`.
  /// The parameter `User` only gives each caller a copy of its own: pass a
  /// type of the calling file's own when the file is compiled for a wider
  /// instruction set, so that the copy compiled for it is never shared with
  /// code that runs on every processor.
  template <class User>
  static View ViewAt(const double* blocks, int index) {
    // Unsigned, so that dividing is shifting.
    const unsigned i = static_cast<unsigned>(index);
    const double* v = blocks + (i / kBlock) * kBlockValues + i % kBlock;
    return View{.ax = v + kAx * kBlock,   .ay = v + kAy * kBlock,
                .az = v + kAz * kBlock,   .e1x = v + kE1x * kBlock,
                .e1y = v + kE1y * kBlock, .e1z = v + kE1z * kBlock,
                .e2x = v + kE2x * kBlock, .e2y = v + kE2y * kBlock,
                .e2z = v + kE2z * kBlock, .nx = v + kNx * kBlock,
                .ny = v + kNy * kBlock,   .nz = v + kNz * kBlock,
                .d = v + kD * kBlock,     .uu = v + kUu * kBlock,
                .uv = v + kUv * kBlock,   .vv = v + kVv * kBlock,
                .den = v + kDen * kBlock,
                .den_reciprocal = v + kDenReciprocal * kBlock};
  }

 private:
  // Where each value of a triangle stands among its block's values.
  enum Value {
    kAx, kAy, kAz, kE1x, kE1y, kE1z, kE2x, kE2y, kE2z,
    kNx, kNy, kNz, kD, kUu, kUv, kVv, kDen, kDenReciprocal,
    kValues  // doubles per triangle
  };
  // Doubles per block.
  static constexpr int kBlockValues = kValues * kBlock;
  // Doubles allocated beyond the blocks, so that the first block can start
  // on a 64-byte boundary (the size of the widest vector).
  static constexpr int kAlignmentSlack = 7;

  std::vector<double> values_;
  std::size_t offset_ = 0;  // of the first block in values_
  int size_ = 0;
};

#endif  // VANTREL_TOOL_TRIANGLE_LANES_H_
