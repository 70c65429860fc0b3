#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <vector>

// The AI path files of a level ("path01.dat", "path02.dat", ... after the
// level's AI-files prefix), for the track generator and for test fixtures.
// Little-endian, no header: u8 closed, f32 half-width, f32 total length,
// u8 spare flag, i32 N, N points (three f32), the lengths of segments 1 .. N-1
// (f32; segment i runs from point i-1 to point i) and their unit directions
// (three f32): 28N - 2 bytes. The game refuses files of fewer than two points,
// coordinates beyond 100 km and segments that disagree with their points.
//
// A loop stores no closing segment: the game takes segment 1's length and
// direction for the stretch from the last point back to point 0, so sample a
// loop evenly and leave the last point one step short of point 0.
struct PathFile {
    uint8_t closed = 0;
    float halfWidth = 1.5f;
    float totalLength = 0.0f;
    uint8_t spareFlag = 0;
    std::vector<Vector3> points;
    // Segments 1 .. N-1: entry k is segment k + 1.
    std::vector<float> lengths;
    std::vector<Vector3> directions;
};

// A path through `points` with its segments measured; the total length of a
// loop includes the closing stretch back to point 0.
PathFile makePath(const std::vector<Vector3>& points, bool closed, float halfWidth = 1.5f);

// The file's bytes, written as the fields stand (no check that they agree),
// so that tests can write the damaged files the game must refuse.
std::vector<uint8_t> writePathFile(const PathFile& path);
