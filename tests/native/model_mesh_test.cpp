// Checks the compiled model table against the model's figures and its five
// invariants, independently of the generator that wrote it. Arithmetic on
// coordinates is exact in double: they are multiples of 1/128 below 32 in size.
// Leaves out the GL calls of DrawModelMesh, which need a GL context.
#include "render/model/model_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using Vec = std::array<double, 3>;
const int PieceCount = 3;
const double Pi = 3.14159265358979323846;
const int PieceFirst[PieceCount] = {0, 132, 264};
const int PieceEnd[PieceCount] = {132, 264, 276};
const size_t PiecePositions[PieceCount] = {68, 68, 8};
const double FootZ = -2.171875;
const double SpindleInnerX = 6.0625;

Vec At(const float* p) { return {p[0], p[1], p[2]}; }
Vec Sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec Cross(const Vec& a, const Vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Corner(int t, int slot) { return At(ModelMesh[t].corner[slot]); }
Vec Normal(int t) { return At(ModelMesh[t].normal); }
Vec RuleNormal(int t)
{
    return Cross(Sub(Corner(t, 2), Corner(t, 0)), Sub(Corner(t, 1), Corner(t, 0)));
}

// Distinct positions, numbered in order of first use.
struct Positions {
    std::map<Vec, int> index;
    std::vector<Vec> list;
    std::array<std::array<int, 3>, ModelTriangleCount> id;
    Positions()
    {
        for (int t = 0; t < ModelTriangleCount; ++t)
            for (int s = 0; s < 3; ++s) {
                auto found = index.emplace(Corner(t, s), static_cast<int>(list.size()));
                if (found.second)
                    list.push_back(Corner(t, s));
                id[t][s] = found.first->second;
            }
    }
};

int Find(std::vector<int>& parent, int p)
{
    while (parent[p] != p)
        p = parent[p] = parent[parent[p]];
    return p;
}

// Winding number of a closed piece about a point; the stored clockwise
// winding is reversed so that the inside counts +1.
double Winding(const Vec& p, int piece)
{
    double sum = 0;
    for (int t = PieceFirst[piece]; t < PieceEnd[piece]; ++t) {
        const Vec a = Sub(Corner(t, 1), p), b = Sub(Corner(t, 0), p), c = Sub(Corner(t, 2), p);
        const double la = std::sqrt(Dot(a, a)), lb = std::sqrt(Dot(b, b)), lc = std::sqrt(Dot(c, c));
        sum += 2 * std::atan2(Dot(a, Cross(b, c)),
                              la * lb * lc + Dot(a, b) * lc + Dot(a, c) * lb + Dot(b, c) * la);
    }
    return sum / (4 * Pi);
}

void ExpectRow(int number, const Vec& normal, const Vec& c0, const Vec& c1, const Vec& c2)
{
    SCOPED_TRACE(number);
    EXPECT_EQ(Normal(number - 1), normal);
    EXPECT_EQ(Corner(number - 1, 0), c0);
    EXPECT_EQ(Corner(number - 1, 1), c1);
    EXPECT_EQ(Corner(number - 1, 2), c2);
}

}  // namespace

TEST(ModelMeshFigures, CountsAndPieces)
{
    ASSERT_EQ(sizeof(ModelMesh) / sizeof(ModelMesh[0]), 276u);
    const Positions positions;
    EXPECT_EQ(positions.list.size(), 144u);

    std::vector<int> parent(positions.list.size());
    for (size_t p = 0; p < parent.size(); ++p)
        parent[p] = static_cast<int>(p);
    for (const auto& corners : positions.id)
        for (int s = 1; s < 3; ++s)
            parent[Find(parent, corners[s])] = Find(parent, corners[0]);
    std::set<int> roots;
    for (size_t p = 0; p < parent.size(); ++p)
        roots.insert(Find(parent, static_cast<int>(p)));
    EXPECT_EQ(roots.size(), 3u);

    for (int piece = 0; piece < PieceCount; ++piece) {
        SCOPED_TRACE(piece + 1);
        const int root = Find(parent, positions.id[PieceFirst[piece]][0]);
        std::set<int> members;
        for (int t = 0; t < ModelTriangleCount; ++t) {
            const bool inside = t >= PieceFirst[piece] && t < PieceEnd[piece];
            EXPECT_EQ(Find(parent, positions.id[t][0]) == root, inside) << "triangle " << t + 1;
            if (inside)
                members.insert(positions.id[t].begin(), positions.id[t].end());
        }
        EXPECT_EQ(members.size(), PiecePositions[piece]);
    }
}

TEST(ModelMeshFigures, BoundsPerPieceAndOverall)
{
    struct Box { Vec low, high; };
    const Box expected[PieceCount + 1] = {
        {{-7.8671875, 1.4375, -2.171875}, {6.734375, 9.1171875, 8.15625}},
        {{-7.8671875, -9.21875, -2.171875}, {6.78125, -1.390625, 8.15625}},
        {{6.0625, -0.984375, -5.25}, {6.8046875, 1.109375, 15.3671875}},
        {{-7.8671875, -9.21875, -5.25}, {6.8046875, 9.1171875, 15.3671875}},
    };
    Box got[PieceCount + 1];
    for (Box& box : got)
        box = {{1e9, 1e9, 1e9}, {-1e9, -1e9, -1e9}};
    for (int piece = 0; piece < PieceCount; ++piece)
        for (int t = PieceFirst[piece]; t < PieceEnd[piece]; ++t)
            for (int s = 0; s < 3; ++s)
                for (int axis = 0; axis < 3; ++axis)
                    for (Box* box : {&got[piece], &got[PieceCount]}) {
                        box->low[axis] = std::fmin(box->low[axis], Corner(t, s)[axis]);
                        box->high[axis] = std::fmax(box->high[axis], Corner(t, s)[axis]);
                    }
    for (int i = 0; i <= PieceCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(got[i].low, expected[i].low);
        EXPECT_EQ(got[i].high, expected[i].high);
    }
}

TEST(ModelMeshFigures, TellingRowsAndSpindle)
{
    ExpectRow(1, {0.4708251953125, -0.33099365234375, -0.03045654296875},
              {-7.6953125, 4.328125, 8.15625}, {-7.0234375, 5.3046875, 7.9296875},
              {-7.140625, 5.1796875, 7.4765625});
    ExpectRow(133, {3.8009033203125, -0.80328369140625, 0.023681640625},
              {6.78125, -1.46875, 4.7421875}, {6.4609375, -2.984375, 4.7421875},
              {6.4453125, -2.984375, 7.25});

    const Vec P[9] = {{}, {6.0625, 0.0625, -5.25}, {6.4140625, 0.0625, -5.25},
                      {6.0625, -0.984375, 4.8828125}, {6.8046875, -0.984375, 4.8828125},
                      {6.8046875, 1.109375, 4.8828125}, {6.0625, 1.109375, 4.8828125},
                      {6.0625, 0.0625, 15.3671875}, {6.4140625, 0.0625, 15.3671875}};
    struct Row { int c0, c1, c2; Vec normal; };
    const Row rows[12] = {
        {5, 6, 1, {0, 7.52044677734375, -0.7769775390625}},
        {1, 6, 3, {-21.215576171875, 0, 0}},
        {1, 3, 2, {0, -3.56231689453125, -0.3680419921875}},
        {2, 3, 4, {0, -7.52044677734375, -0.7769775390625}},
        {2, 4, 5, {21.215576171875, 0, -0.81787109375}},
        {5, 4, 8, {21.95166015625, 0, 0.81787109375}},
        {5, 8, 6, {0, 7.7813720703125, 0.7769775390625}},
        {6, 8, 7, {0, 3.6859130859375, 0.3680419921875}},
        {6, 7, 3, {-21.95166015625, 0, 0}},
        {3, 7, 4, {0, -7.7813720703125, 0.7769775390625}},
        {1, 2, 5, {0, 3.56231689453125, -0.3680419921875}},
        {8, 4, 7, {0, -3.6859130859375, 0.3680419921875}},
    };
    for (int i = 0; i < 12; ++i)
        ExpectRow(265 + i, rows[i].normal, P[rows[i].c0], P[rows[i].c1], P[rows[i].c2]);
}

TEST(ModelMeshFigures, NormalLengths)
{
    int shortest = 0, longest = 0;
    for (int t = 0; t < ModelTriangleCount; ++t) {
        const double length = std::sqrt(Dot(Normal(t), Normal(t)));
        EXPECT_GT(std::fabs(length - 1.0), 1e-3) << "unit normal at triangle " << t + 1;
        if (length < std::sqrt(Dot(Normal(shortest), Normal(shortest))))
            shortest = t;
        if (length > std::sqrt(Dot(Normal(longest), Normal(longest))))
            longest = t;
    }
    EXPECT_EQ(shortest + 1, 31);
    EXPECT_EQ(Normal(30), (Vec{0, 0, -0.006103515625}));
    EXPECT_EQ(longest + 1, 270);
    EXPECT_NEAR(std::sqrt(Dot(Normal(269), Normal(269))), 21.967, 5e-4);
}

TEST(ModelMeshFigures, FeetFaceDownAndSpindleInnerSideFacesMinusX)
{
    int feet[2] = {0, 0};
    int inner = 0;
    for (int t = 0; t < ModelTriangleCount; ++t) {
        bool onFoot = true, onInnerSide = true;
        for (int s = 0; s < 3; ++s) {
            onFoot = onFoot && Corner(t, s)[2] == FootZ;
            onInnerSide = onInnerSide && Corner(t, s)[0] == SpindleInnerX;
        }
        if (onFoot) {
            ++feet[t < PieceEnd[0] ? 0 : 1];
            EXPECT_TRUE(Normal(t)[0] == 0 && Normal(t)[1] == 0 && Normal(t)[2] < 0) << t + 1;
        }
        if (onInnerSide && t >= PieceFirst[2]) {
            ++inner;
            EXPECT_TRUE(Normal(t)[0] < 0 && Normal(t)[1] == 0 && Normal(t)[2] == 0) << t + 1;
        }
    }
    EXPECT_EQ(feet[0], 2);
    EXPECT_EQ(feet[1], 2);
    EXPECT_EQ(inner, 2);
}

TEST(ModelMeshFigures, BandsLieApartAndNearlyMirrorEachOther)
{
    const Positions positions;
    std::set<Vec> band[2];
    for (int piece = 0; piece < 2; ++piece)
        for (int t = PieceFirst[piece]; t < PieceEnd[piece]; ++t)
            for (int s = 0; s < 3; ++s)
                band[piece].insert(Corner(t, s));
    for (const Vec& p : band[0])
        EXPECT_GT(p[1], 0);
    for (const Vec& p : band[1])
        EXPECT_LT(p[1], 0);
    const double limit = 0.11;
    for (const Vec& p : band[0]) {
        const Vec mirrored = {p[0], -p[1], p[2]};
        double nearest = 1e9;
        for (const Vec& q : band[1])
            nearest = std::fmin(nearest, Dot(Sub(mirrored, q), Sub(mirrored, q)));
        EXPECT_GT(nearest, 0.0);
        EXPECT_LT(nearest, limit * limit);
    }
}

TEST(ModelMeshInvariants, GridAndExactNormals)
{
    const double grid = 128, normalGrid = 128 * 128;
    for (int t = 0; t < ModelTriangleCount; ++t) {
        SCOPED_TRACE(t + 1);
        for (int s = 0; s < 3; ++s)
            for (double v : Corner(t, s))
                EXPECT_EQ(v * grid, std::floor(v * grid));
        const Vec rule = RuleNormal(t);
        EXPECT_EQ(Normal(t), rule);
        for (double v : Normal(t))
            EXPECT_EQ(v * normalGrid, std::floor(v * normalGrid));
    }
}

TEST(ModelMeshInvariants, PiecesAreClosedSpheres)
{
    const Positions positions;
    for (int piece = 0; piece < PieceCount; ++piece) {
        SCOPED_TRACE(piece + 1);
        std::map<std::pair<int, int>, int> edges;
        std::set<int> used;
        for (int t = PieceFirst[piece]; t < PieceEnd[piece]; ++t)
            for (int s = 0; s < 3; ++s) {
                ++edges[{positions.id[t][s], positions.id[t][(s + 1) % 3]}];
                used.insert(positions.id[t][s]);
            }
        for (const auto& edge : edges) {
            EXPECT_EQ(edge.second, 1);
            const auto back = edges.find({edge.first.second, edge.first.first});
            EXPECT_TRUE(back != edges.end() && back->second == 1);
        }
        const long faces = PieceEnd[piece] - PieceFirst[piece];
        EXPECT_EQ(static_cast<long>(used.size()) - static_cast<long>(edges.size() / 2) + faces, 2);
    }
}

TEST(ModelMeshInvariants, NormalsPointOutOfTheirPiece)
{
    const double step = 1e-3, tolerance = 1e-6;
    for (int piece = 0; piece < PieceCount; ++piece)
        for (int t = PieceFirst[piece]; t < PieceEnd[piece]; ++t) {
            SCOPED_TRACE(t + 1);
            const Vec n = Normal(t);
            const double length = std::sqrt(Dot(n, n));
            Vec outside, inside;
            for (int axis = 0; axis < 3; ++axis) {
                const double centre = (Corner(t, 0)[axis] + Corner(t, 1)[axis] + Corner(t, 2)[axis]) / 3;
                outside[axis] = centre + step * n[axis] / length;
                inside[axis] = centre - step * n[axis] / length;
            }
            EXPECT_NEAR(Winding(outside, piece), 0.0, tolerance);
            EXPECT_NEAR(Winding(inside, piece), 1.0, tolerance);
        }
}

TEST(ModelMeshInvariants, NoDegenerateOrRepeatedTriangleAndBitIdenticalCorners)
{
    const Positions positions;
    std::set<std::set<int>> seen;
    for (int t = 0; t < ModelTriangleCount; ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_NE(Dot(RuleNormal(t), RuleNormal(t)), 0.0);
        const std::set<int> corners(positions.id[t].begin(), positions.id[t].end());
        EXPECT_EQ(corners.size(), 3u);
        EXPECT_TRUE(seen.insert(corners).second);
    }
    // Corners equal in value must be equal in bits (no -0.0 against 0.0).
    std::map<Vec, std::array<unsigned char, 12>> bits;
    for (int t = 0; t < ModelTriangleCount; ++t)
        for (int s = 0; s < 3; ++s) {
            std::array<unsigned char, 12> raw;
            std::memcpy(raw.data(), ModelMesh[t].corner[s], raw.size());
            const auto found = bits.emplace(Corner(t, s), raw);
            EXPECT_TRUE(found.first->second == raw) << "triangle " << t + 1;
        }
}
