// Writes the viewer's sample model, data/f5e_05.3ds, and its textures: a light twin-engine
// jet fighter about 455 units long, centred near the origin, nose toward +y, top toward
// +z, every face wound counter-clockwise seen from outside. The textures use every image
// format the engine reads (BMP, PCX, TGA, GIF, JPEG, PNG); the model names them in 8.3
// upper case as real files do, and one of them lies on disk in lower case.
//
//   build/tools/make-sample-model/make-sample-model data
//
// The output is committed; a test runs the generator again and compares the bytes.

#include "tests/support/CodecFiles.h"
#include "tests/support/ModelFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace orvane::test;

constexpr float pi = 3.14159265358979f;

// ---- Geometry

struct Vec3 {
    float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// One object of the model: vertices with texture coordinates, faces in groups by material.
class Part {
public:
    explicit Part(std::string name)
        : name(std::move(name)) {}

    int vertex(Vec3 p, float u, float v) {
        xyz.insert(xyz.end(), {p.x, p.y, p.z});
        uv.insert(uv.end(), {u, v});
        return int(xyz.size() / 3 - 1);
    }

    // Faces are added to the material chosen last.
    void use(const std::string& material) {
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (groups[g].first == material) {
                current = g;
                return;
            }
        }
        groups.push_back({material, {}});
        current = groups.size() - 1;
    }

    // A triangle wound counter-clockwise seen from outside.
    void triangle(int a, int b, int c) {
        faces.push_back({std::uint16_t(a), std::uint16_t(b), std::uint16_t(c)});
        groups[current].second.push_back(std::uint16_t(faces.size() - 1));
    }
    // A quad a, b, c, d counter-clockwise seen from outside.
    void quad(int a, int b, int c, int d) {
        triangle(a, b, c);
        triangle(a, c, d);
    }

    // The same part mirrored in the plane x = 0 (windings turned so that they stay
    // counter-clockwise from outside).
    Part mirrored(const std::string& mirroredName) const {
        Part copy = *this;
        copy.name = mirroredName;
        for (std::size_t i = 0; i < copy.xyz.size(); i += 3)
            copy.xyz[i] = -copy.xyz[i];
        for (Face& face : copy.faces)
            std::swap(face[1], face[2]);
        return copy;
    }

    std::size_t faceCount() const { return faces.size(); }

    // The part with every position multiplied by factor.
    Part scaled(float factor) const {
        Part copy = *this;
        for (float& coordinate : copy.xyz)
            coordinate *= factor;
        return copy;
    }

    Chunk chunk() const {
        Chunk faceList = faceChunk(faces);
        for (const auto& [material, members] : groups)
            faceList.add(groupChunk(material, members));
        return objectChunk(name, Chunk(0x4100)
                                     .add(vertexChunk(xyz))
                                     .add(texCoordChunk(uv))
                                     .add(faceList)
                                     .add(axesChunk()));
    }

private:
    std::string name;
    std::vector<float> xyz;
    std::vector<float> uv;
    std::vector<Face> faces;
    std::vector<std::pair<std::string, std::vector<std::uint16_t>>> groups;
    std::size_t current = 0;
};

// Texture coordinates from a point: planar projections keep seams out of the surfaces.
using UvMap = std::function<std::pair<float, float>(Vec3)>;

UvMap topView(float xMin, float xMax, float yMin, float yMax) {
    return [=](Vec3 p) {
        return std::pair{(p.x - xMin) / (xMax - xMin), (p.y - yMin) / (yMax - yMin)};
    };
}

// An elliptic cross-section of a body along the y axis; a and b 0 make a point.
struct Ring {
    float y, cx, cz, a, b;
};

Vec3 onRing(const Ring& ring, float angle) {
    return {ring.cx + ring.a * std::cos(angle), ring.y, ring.cz + ring.b * std::sin(angle)};
}

// A closed ring of faces between consecutive sections (y increasing), facing away from the
// axis, or toward it when inward. Angle 0 is +x, a quarter turn +z.
void loft(Part& part, const std::vector<Ring>& rings, int segments, const UvMap& map,
          bool inward = false) {
    std::vector<std::vector<int>> ids;
    for (const Ring& ring : rings) {
        std::vector<int> row;
        const int count = (ring.a == 0 && ring.b == 0) ? 1 : segments;
        for (int j = 0; j < count; ++j) {
            const Vec3 p = onRing(ring, 2 * pi * float(j) / float(segments));
            const auto [u, v] = map(p);
            row.push_back(part.vertex(p, u, v));
        }
        ids.push_back(row);
    }
    const auto face = [&](int a, int b, int c) {
        if (inward)
            part.triangle(a, c, b);
        else
            part.triangle(a, b, c);
    };
    for (std::size_t i = 0; i + 1 < ids.size(); ++i) {
        const std::vector<int>& here = ids[i];
        const std::vector<int>& next = ids[i + 1];
        for (int j = 0; j < segments; ++j) {
            const int k = (j + 1) % segments;
            if (here.size() == 1) {
                face(here[0], next[j], next[k]);
            } else if (next.size() == 1) {
                face(here[j], next[0], here[k]);
            } else {
                face(here[j], next[j], next[k]);
                face(here[j], next[k], here[k]);
            }
        }
    }
}

// A flat cap over a section, facing -y (start) or +y (end), on vertices of its own so that
// the edge stays sharp.
void cap(Part& part, const Ring& ring, int segments, bool facingForward, const UvMap& map) {
    const Vec3 centre{ring.cx, ring.y, ring.cz};
    const auto [cu, cv] = map(centre);
    const int middle = part.vertex(centre, cu, cv);
    std::vector<int> rim;
    for (int j = 0; j < segments; ++j) {
        const Vec3 p = onRing(ring, 2 * pi * float(j) / float(segments));
        const auto [u, v] = map(p);
        rim.push_back(part.vertex(p, u, v));
    }
    for (int j = 0; j < segments; ++j) {
        const int k = (j + 1) % segments;
        if (facingForward)
            part.triangle(middle, rim[k], rim[j]);
        else
            part.triangle(middle, rim[j], rim[k]);
    }
}

// A ring-shaped face at one y between an outer and an inner section, facing -y.
void annulus(Part& part, const Ring& outer, const Ring& inner, int segments, const UvMap& map) {
    std::vector<int> out, in;
    for (int j = 0; j < segments; ++j) {
        const float angle = 2 * pi * float(j) / float(segments);
        for (auto [ring, ids] : {std::pair{&outer, &out}, std::pair{&inner, &in}}) {
            const Vec3 p = onRing(*ring, angle);
            const auto [u, v] = map(p);
            ids->push_back(part.vertex(p, u, v));
        }
    }
    for (int j = 0; j < segments; ++j) {
        const int k = (j + 1) % segments;
        part.triangle(in[j], out[j], out[k]);
        part.triangle(in[j], out[k], in[k]);
    }
}

// Sections of a body of revolution about (cx, cz) from a radius profile over y.
std::vector<Ring> revolution(float cx, float cz,
                             const std::vector<std::pair<float, float>>& profile) {
    std::vector<Ring> rings;
    for (const auto& [y, r] : profile)
        rings.push_back({y, cx, cz, r, r});
    return rings;
}

// Piecewise-linear sections through control sections, one every step units of y.
std::vector<Ring> sampled(const std::vector<Ring>& controls, float step) {
    std::vector<Ring> rings;
    for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
        const Ring& a = controls[i];
        const Ring& b = controls[i + 1];
        const int steps = std::max(1, int(std::round((b.y - a.y) / step)));
        for (int s = 0; s < steps; ++s) {
            const float t = float(s) / float(steps);
            const auto mix = [t](float p, float q) { return p + (q - p) * t; };
            rings.push_back(
                {mix(a.y, b.y), mix(a.cx, b.cx), mix(a.cz, b.cz), mix(a.a, b.a), mix(a.b, b.b)});
        }
    }
    rings.push_back(controls.back());
    return rings;
}

// ---- Lifting surfaces

// A thin tapered surface (wing, tailplane, fin) in its own frame: span along +x from the
// root to the tip, chord along y from the leading edge back, thickness along z with a lens
// section that closes at both edges. `place` maps the frame into the model and must keep
// handedness (a rotation and a translation).
struct Planform {
    float rootX, rootLeading, rootTrailing, rootThickness;
    float tipX, tipLeading, tipTrailing, tipThickness;
};

// Where the surface is at span fraction s and chord fraction t, top (+1) or bottom (-1).
Vec3 surfacePoint(const Planform& p, float s, float t, float side) {
    const auto mix = [s](float a, float b) { return a + (b - a) * s; };
    const float leading = mix(p.rootLeading, p.tipLeading);
    const float trailing = mix(p.rootTrailing, p.tipTrailing);
    const float thickness = mix(p.rootThickness, p.tipThickness);
    const float lens = 2.0f * std::sqrt(std::max(0.0f, t * (1 - t))) * (1.15f - 0.3f * t);
    return {mix(p.rootX, p.tipX), leading + (trailing - leading) * t,
            side * 0.5f * thickness * std::min(lens, 1.0f)};
}

void liftingSurface(Part& part, const Planform& planform, const std::function<Vec3(Vec3)>& place,
                    const UvMap& map, int spans = 6, int chords = 10) {
    const auto add = [&](Vec3 local) {
        const Vec3 p = place(local);
        const auto [u, v] = map(p);
        return part.vertex(p, u, v);
    };
    for (float side : {1.0f, -1.0f}) {
        std::vector<std::vector<int>> grid(spans + 1);
        for (int k = 0; k <= spans; ++k)
            for (int i = 0; i <= chords; ++i)
                grid[k].push_back(
                    add(surfacePoint(planform, float(k) / spans, float(i) / chords, side)));
        for (int k = 0; k < spans; ++k) {
            for (int i = 0; i < chords; ++i) {
                const int a = grid[k][i], b = grid[k][i + 1], c = grid[k + 1][i + 1],
                          d = grid[k + 1][i];
                if (side > 0)
                    part.quad(a, b, c, d); // chord back, then span out: facing +z
                else
                    part.quad(a, d, c, b);
            }
        }
    }
    // Root and tip: the lens section closed by its own vertices.
    for (int end = 0; end <= 1; ++end) {
        std::vector<int> top, bottom;
        for (int i = 0; i <= chords; ++i) {
            top.push_back(add(surfacePoint(planform, float(end), float(i) / chords, 1.0f)));
            bottom.push_back(add(surfacePoint(planform, float(end), float(i) / chords, -1.0f)));
        }
        for (int i = 0; i < chords; ++i) {
            if (end == 1)
                part.quad(top[i], top[i + 1], bottom[i + 1], bottom[i]); // facing +x
            else
                part.quad(top[i], bottom[i], bottom[i + 1], top[i + 1]); // facing -x
        }
    }
}

// A round decal a little above a surface, facing +z in the frame of `place`, textured with
// the whole picture.
void decalDisc(Part& part, Vec3 centre, float radius, const std::function<Vec3(Vec3)>& place) {
    constexpr int segments = 24;
    const int middle = part.vertex(place(centre), 0.5f, 0.5f);
    std::vector<int> rim;
    for (int j = 0; j < segments; ++j) {
        const float angle = 2 * pi * float(j) / segments;
        const Vec3 local{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle),
                         centre.z};
        rim.push_back(part.vertex(place(local), 0.5f + 0.5f * std::cos(angle),
                                  0.5f + 0.5f * std::sin(angle)));
    }
    for (int j = 0; j < segments; ++j)
        part.triangle(middle, rim[j], rim[(j + 1) % segments]);
}

// ---- The aircraft

constexpr int around = 24; // segments of every body section
// The parts are drawn about 300 units long; the model is written about 455 units long. The
// viewer's camera sees it from 400 units through a frustum opening 45 degrees to each side,
// which holds a sphere of radius 400 sin 45 = 283 about the model's origin however the
// model is turned. Every point stays within 240 units of the origin (the fin tip is the
// farthest), so no rotation cuts the jet, and seen from above it fills some 60 % of the
// window's height.
constexpr float modelScale = 1.5f;

const UvMap skinMap = topView(-90.0f, 90.0f, -155.0f, 155.0f);

Part fuselage() {
    Part part("FUSELAGE");
    part.use("SKIN");
    // (y, cx, cz, half width, half height), tail to nose.
    const std::vector<Ring> controls = {
        {-128, 0, 0, 21, 13}, {-112, 0, 0, 22, 14}, {-60, 0, 0, 22, 15}, {-20, 0, 1, 21, 16},
        {20, 0, 2, 18, 16},   {50, 0, 2, 15, 14},   {80, 0, 1, 12, 11},  {100, 0, 0, 9, 8},
    };
    const std::vector<Ring> rings = sampled(controls, 6.0f);
    loft(part, rings, around, skinMap);
    part.use("DARK");
    cap(part, rings.front(), around, false, skinMap);
    cap(part, rings.back(), around, true, skinMap);
    return part;
}

Part noseCone() {
    Part part("NOSE");
    part.use("RADOME");
    const float base = 100.0f, length = 52.0f;
    std::vector<Ring> rings;
    const float shape[][2] = {{0.0f, 1.0f},   {0.15f, 0.96f}, {0.3f, 0.88f},
                              {0.45f, 0.76f}, {0.6f, 0.61f},  {0.75f, 0.44f},
                              {0.88f, 0.26f}, {0.96f, 0.1f},  {1.0f, 0.0f}};
    for (const auto& [t, r] : shape)
        rings.push_back({base + length * t, 0, 0, 9.0f * r, 8.0f * r});
    const UvMap map = [](Vec3 p) { return std::pair{(p.x + 9.0f) / 18.0f, (p.z + 8.0f) / 16.0f}; };
    loft(part, rings, around, map);
    cap(part, rings.front(), around, false, map);
    return part;
}

Part canopy() {
    Part part("CANOPY");
    part.use("CANOPY");
    const float centreY = 42.0f, halfLength = 32.0f, base = 12.5f, halfWidth = 9.5f, height = 11.5f;
    const UvMap map = topView(-halfWidth, halfWidth, centreY - halfLength, centreY + halfLength);
    constexpr int stations = 16, across = 16;
    std::vector<std::vector<int>> dome;
    std::vector<std::pair<int, int>> floorEdges;
    for (int i = 0; i <= stations; ++i) {
        const float t = -1.0f + 2.0f * float(i) / stations;
        // A bubble fuller at the front: the section shrinks faster toward the back.
        const float scale =
            std::sqrt(std::max(0.0f, 1.0f - t * t)) * (t < 0 ? 1.0f + 0.25f * t : 1.0f);
        const float y = centreY + halfLength * t;
        std::vector<int> row;
        for (int j = 0; j <= across; ++j) {
            const float angle = pi * float(j) / across;
            const Vec3 p{halfWidth * scale * std::cos(angle), y,
                         base + height * scale * std::sin(angle)};
            const auto [u, v] = map(p);
            row.push_back(part.vertex(p, u, v));
        }
        dome.push_back(row);
    }
    for (int i = 0; i < stations; ++i) {
        for (int j = 0; j < across; ++j) {
            // Rows run back to front, columns from +x over the top to -x: facing outward.
            part.quad(dome[i][j], dome[i + 1][j], dome[i + 1][j + 1], dome[i][j + 1]);
        }
    }
    // The floor, hidden in the fuselage, closes the bubble.
    std::vector<int> right, left;
    for (int i = 0; i <= stations; ++i) {
        const float t = -1.0f + 2.0f * float(i) / stations;
        const float scale =
            std::sqrt(std::max(0.0f, 1.0f - t * t)) * (t < 0 ? 1.0f + 0.25f * t : 1.0f);
        const float y = centreY + halfLength * t;
        right.push_back(part.vertex({halfWidth * scale, y, base}, 1, 0));
        left.push_back(part.vertex({-halfWidth * scale, y, base}, 0, 0));
    }
    for (int i = 0; i < stations; ++i)
        part.quad(right[i], left[i], left[i + 1], right[i + 1]);
    return part;
}

Part intake() {
    Part part("INTAKE_R");
    part.use("SKIN");
    const std::vector<Ring> rings = sampled(
        {{-50, 17, -1, 4, 8}, {-30, 20, -1, 6, 9}, {10, 21, -1, 6.5f, 9}, {28, 21, -1, 6, 8.5f}},
        6.0f);
    loft(part, rings, 16, skinMap);
    part.use("DARK");
    cap(part, rings.front(), 16, false, skinMap);
    cap(part, rings.back(), 16, true, skinMap);
    return part;
}

std::function<Vec3(Vec3)> shifted(Vec3 by) {
    return [by](Vec3 p) { return p + by; };
}

const Planform wingPlanform = {16, 12, -62, 6.5f, 84, -34, -54, 2.2f};
constexpr float wingZ = -2.0f;

Part wing() {
    Part part("WING_R");
    part.use("SKIN");
    liftingSurface(part, wingPlanform, shifted({0, 0, wingZ}), skinMap);
    return part;
}

Part wingMarking() {
    Part part("MARK_R");
    part.use("INSIGNIA");
    // On the upper surface around 60 % of the span, lifted a little above it.
    const float span = 0.62f, chord = 0.45f;
    const Vec3 on = surfacePoint(wingPlanform, span, chord, 1.0f);
    decalDisc(part, {on.x, on.y, on.z + wingZ + 0.45f}, 9.0f, [](Vec3 p) { return p; });
    return part;
}

Part tailplane() {
    Part part("TAILPLANE_R");
    part.use("SKIN");
    liftingSurface(part, {12, -106, -140, 3.2f, 54, -131, -148, 1.3f}, shifted({0, 0, 2}), skinMap);
    return part;
}

// The fin: the surface frame turned so that its span points up (+z) and its thickness
// along x.
Vec3 finFrame(Vec3 local) {
    return {-local.z, local.y, local.x};
}

Part fin() {
    Part part("FIN");
    part.use("SKIN");
    const UvMap map = [](Vec3 p) { return std::pair{(p.y + 155.0f) / 80.0f, p.z / 75.0f}; };
    liftingSurface(part, {8, -78, -134, 4.5f, 68, -124, -143, 1.6f}, finFrame, map);
    return part;
}

// A fin flash on each side of the fin: a rectangle a little off the surface.
Part finMarkings() {
    Part part("FINFLASH");
    part.use("FINFLASH");
    const float y0 = -133, y1 = -109, z0 = 30, z1 = 42, off = 2.1f;
    for (float side : {1.0f, -1.0f}) {
        const float x = side * off;
        const int a = part.vertex({x, y0, z0}, side > 0 ? 0.0f : 1.0f, 0);
        const int b = part.vertex({x, y1, z0}, side > 0 ? 1.0f : 0.0f, 0);
        const int c = part.vertex({x, y1, z1}, side > 0 ? 1.0f : 0.0f, 1);
        const int d = part.vertex({x, y0, z1}, side > 0 ? 0.0f : 1.0f, 1);
        if (side > 0)
            part.quad(a, b, c, d); // y then z: facing +x
        else
            part.quad(a, d, c, b);
    }
    return part;
}

Part nozzle() {
    Part part("NOZZLE_R");
    const float cx = 10.0f, cz = 0.0f;
    // Texture: u around the nozzle (mirrored, so no seam), v along it.
    const UvMap map = [=](Vec3 p) {
        const float angle = std::atan2(p.z - cz, p.x - cx);
        return std::pair{std::fabs(angle) / pi, (p.y + 152.0f) / 28.0f};
    };
    part.use("NOZZLE");
    const std::vector<Ring> outer = {
        {-152, cx, cz, 8.2f, 8.2f}, {-140, cx, cz, 9.0f, 9.0f}, {-124, cx, cz, 9.6f, 9.6f}};
    const Ring innerEnd{-152, cx, cz, 6.6f, 6.6f};
    const Ring innerDeep{-138, cx, cz, 6.0f, 6.0f};
    loft(part, outer, around, map);
    annulus(part, outer.front(), innerEnd, around, map);
    loft(part, {innerEnd, innerDeep}, around, map, true);
    cap(part, outer.back(), around, true, map);
    part.use("DARK");
    cap(part, innerDeep, around, false, map);
    return part;
}

Part dropTank() {
    Part part("TANK");
    part.use("TANK");
    const float cz = -27.0f;
    const std::vector<Ring> rings = revolution(0, cz,
                                               {{-62, 0},
                                                {-58, 2.8f},
                                                {-50, 5.2f},
                                                {-38, 6.8f},
                                                {-20, 7.5f},
                                                {0, 7.5f},
                                                {10, 7.2f},
                                                {20, 6.2f},
                                                {28, 4.6f},
                                                {34, 2.8f},
                                                {38, 1.0f},
                                                {39.5f, 0}});
    loft(part, rings, around, skinMap);
    return part;
}

Part pylon() {
    Part part("PYLON");
    part.use("TANK");
    // The surface frame turned so that its span points down (-z).
    const auto down = [](Vec3 local) { return Vec3{local.z, local.y, -local.x}; };
    liftingSurface(part, {8, 4, -34, 2.4f, 20, 0, -30, 2.0f}, down, skinMap);
    return part;
}

Part missile() {
    Part part("MISSILE_R");
    part.use("MISSILE");
    const float cx = 86.5f, cz = -2.0f;
    const std::vector<Ring> rings = revolution(cx, cz,
                                               {{-76, 0},
                                                {-75, 2.2f},
                                                {-70, 2.6f},
                                                {-20, 2.6f},
                                                {-14, 2.3f},
                                                {-9, 1.5f},
                                                {-6, 0.6f},
                                                {-5, 0}});
    loft(part, rings, 12, skinMap);
    // Tail fins: four small plates in the frame of a surface turned about the body.
    const Planform finShape = {2.0f, -64, -75, 0.8f, 6.5f, -70, -76, 0.5f};
    for (int f = 0; f < 4; ++f) {
        const float angle = pi / 4 + pi / 2 * float(f);
        const float c = std::cos(angle), s = std::sin(angle);
        liftingSurface(
            part, finShape,
            [=](Vec3 l) {
                // Span along (c, s) in the x-z plane, thickness across it.
                return Vec3{cx + l.x * c - l.z * s, l.y, cz + l.x * s + l.z * c};
            },
            skinMap, 2, 4);
    }
    return part;
}

// ---- Textures

// A repeatable pseudo-random sequence (the generator must write the same bytes each run).
class Random {
public:
    explicit Random(std::uint32_t seed)
        : state(seed) {}
    float next() {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    }

private:
    std::uint32_t state;
};

// Smooth value noise on a periodic lattice, 0..1.
float smoothNoise(const std::vector<float>& lattice, int period, float x, float y) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const auto at = [&](int i, int j) {
        return lattice[std::size_t(((j % period + period) % period) * period +
                                   ((i % period + period) % period))];
    };
    const auto ease = [](float t) { return t * t * (3 - 2 * t); };
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * ease(fx);
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * ease(fx);
    return top + (bottom - top) * ease(fy);
}

// Rows of 24-bit pixels, top row first, from a colour function of (x, y).
using Shader = std::function<Rgb(int, int)>;

Bytes rgbPixels(int width, int height, const Shader& shade) {
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = shade(x, y);
            pixels.insert(pixels.end(), {c[0], c[1], c[2]});
        }
    }
    return pixels;
}

// Three-tone camouflage: two octaves of noise cut at two levels.
Rgb camouflage(int x, int y) {
    static const std::vector<float> coarse = [] {
        Random random(17);
        std::vector<float> v(64);
        for (float& f : v)
            f = random.next();
        return v;
    }();
    static const std::vector<float> fine = [] {
        Random random(99);
        std::vector<float> v(256);
        for (float& f : v)
            f = random.next();
        return v;
    }();
    const float n = 0.7f * smoothNoise(coarse, 8, float(x) / 16.0f, float(y) / 16.0f) +
                    0.3f * smoothNoise(fine, 16, float(x) / 8.0f, float(y) / 8.0f);
    const float grain = 0.04f * (fine[std::size_t((x * 7 + y * 13) % 256)] - 0.5f);
    const float level = n + grain;
    if (level < 0.42f)
        return {128, 144, 104}; // dark green-grey
    if (level < 0.58f)
        return {192, 178, 138}; // tan
    return {216, 218, 206};     // light grey
}

// 24-bit BMP rows are stored bottom-up, padded to four bytes.
Bytes bmpCamouflage() {
    constexpr int side = 128;
    std::vector<Bytes> rows;
    for (int y = 0; y < side; ++y) {
        Bytes row;
        for (int x = 0; x < side; ++x) {
            const Rgb c = camouflage(x, y);
            row.insert(row.end(), {c[2], c[1], c[0]});
        }
        rows.push_back(row);
    }
    return bmpFile({.width = side, .height = side, .bits = 24, .pixelData = bmpRows(rows)});
}

// A tinted glass bubble: blue-grey getting lighter toward the top, a highlight, and two
// frame bows across it.
Bytes gifCanopy() {
    constexpr int side = 64;
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i) {
        const float t = float(i) / 255.0f;
        palette.push_back(
            {std::uint8_t(30 + 170 * t), std::uint8_t(48 + 175 * t), std::uint8_t(70 + 180 * t)});
    }
    palette[0] = {40, 40, 38}; // frame
    Gif gif{.width = side, .height = side, .globalMap = palette};
    GifImage image{.width = side, .height = side};
    for (int y = 0; y < side; ++y) {
        Bytes row;
        for (int x = 0; x < side; ++x) {
            const float across = std::fabs(float(x) - 31.5f) / 32.0f;
            float level = 0.55f - 0.35f * across;
            const float streak = std::fabs(float(x) - 24.0f + float(y) * 0.3f);
            if (streak < 3.0f)
                level += 0.35f * (1.0f - streak / 3.0f);
            std::uint8_t index = std::uint8_t(std::clamp(level, 0.02f, 1.0f) * 255.0f);
            // Picture rows run front (top) to back; the bows sit a third and two thirds back.
            if (y == 22 || y == 23 || y == 44 || y == 45 || x < 2 || x > 61)
                index = 0;
            row.push_back(index);
        }
        image.rows.push_back(row);
    }
    gif.images.push_back(image);
    return gifFile(gif);
}

// A roundel: a blue disc with a white five-pointed star, a white ring and a red centre.
Bytes tgaInsignia() {
    constexpr int side = 64;
    const auto insideStar = [](float x, float y) {
        // A point is inside when its radius is below the star's outline at its angle.
        const float angle = std::atan2(x, y); // 0 toward the top
        const float sector = 2 * pi / 5;
        float a = std::fmod(angle + 2 * pi + sector / 2, sector) - sector / 2;
        const float inner = 0.38f, outer = 1.0f;
        // The outline between a tip (a = 0) and a notch (a = sector / 2) is a straight line.
        const float tipX = 0, tipY = outer;
        const float notchX = inner * std::sin(sector / 2), notchY = inner * std::cos(sector / 2);
        a = std::fabs(a);
        const float r = std::hypot(x, y);
        const float px = r * std::sin(a), py = r * std::cos(a);
        const float cross = (notchX - tipX) * (py - tipY) - (notchY - tipY) * (px - tipX);
        return cross <= 0;
    };
    Bytes pixels;
    // Rows stored bottom-up (descriptor 0), each pixel blue, green, red, alpha.
    for (int row = side - 1; row >= 0; --row) {
        for (int x = 0; x < side; ++x) {
            const float px = (float(x) + 0.5f - side / 2.0f) / (side / 2.0f);
            const float py = (side / 2.0f - float(row) - 0.5f) / (side / 2.0f);
            const float r = std::hypot(px, py);
            Rgb c{32, 64, 160};
            if (r > 0.93f)
                c = {230, 230, 230};
            else if (insideStar(px / 0.8f, py / 0.8f))
                c = r < 0.16f ? Rgb{200, 30, 40} : Rgb{245, 245, 245};
            pixels.insert(pixels.end(), {c[2], c[1], c[0], 255});
        }
    }
    return tgaFile(
        {.width = side, .height = side, .depth = 32, .descriptor = 8, .pixelData = pixels});
}

// Exhaust metal: bands of burnt steel along the nozzle, darker toward its end, with streaks.
Bytes pcxNozzle() {
    constexpr int width = 96, height = 96;
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i) {
        const float t = float(i) / 255.0f;
        // Dark blue-grey through steel to a straw-golden heat tint.
        palette.push_back({std::uint8_t(70 + 170 * t), std::uint8_t(72 + 150 * t),
                           std::uint8_t(85 + 100 * t * (1 - t) * 2 + 30 * t)});
    }
    Random random(5);
    std::vector<float> streaks(width);
    for (float& s : streaks)
        s = random.next();
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        // v runs from the nozzle's open end (picture bottom) to where it meets the body.
        const float along = 1.0f - float(y) / float(height - 1);
        for (int x = 0; x < width; ++x) {
            float level = 0.25f + 0.6f * along;
            level += 0.12f * std::sin(along * 40.0f);          // bands
            level += 0.15f * (streaks[std::size_t(x)] - 0.5f); // streaks
            if ((x / 8) % 2 == 0 && y > height - 20)
                level -= 0.15f; // petals at the open end
            raw.push_back(std::uint8_t(std::clamp(level, 0.0f, 1.0f) * 255.0f));
        }
    }
    return pcxFile(
        {.width = width, .height = height, .encoded = pcxEncode(raw), .palette = palette});
}

// Digits of a tiny 3 x 5 font, one row of three bits per line, top first.
const std::uint8_t digitRows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// A fin flash: red, white and blue bands over a serial number.
Bytes jpegFinFlash() {
    constexpr int width = 128, height = 64;
    const std::string serial = "01548";
    const Shader shade = [&](int x, int y) -> Rgb {
        if (y < 24) {
            if (x < 42)
                return {190, 30, 40};
            if (x < 86)
                return {240, 240, 240};
            return {40, 70, 170};
        }
        // Digits of 6 x 10 pixel cells, from x = 22 on, rows 34 to 54.
        const int cellX = (x - 22) / 18, inX = (x - 22) % 18, inY = y - 32;
        if (x >= 22 && cellX < int(serial.size()) && inX < 12 && inY >= 0 && inY < 20) {
            const int digit = serial[std::size_t(cellX)] - '0';
            if (digitRows[digit][inY / 4] & (4 >> (inX / 4)))
                return {25, 25, 25};
        }
        return camouflage(x + 30, y + 60);
    };
    return jpegFile({.width = width,
                     .height = height,
                     .quality = 92,
                     .samples = rgbPixels(width, height, shade)});
}

// The radome: a mid grey, lighter toward the tip.
Bytes pngRadome() {
    constexpr int side = 64;
    std::vector<Bytes> rows;
    for (int y = 0; y < side; ++y) {
        Bytes row;
        for (int x = 0; x < side; ++x) {
            const float dx = (float(x) - 31.5f) / 32.0f, dy = (float(y) - 31.5f) / 32.0f;
            const auto level = std::uint8_t(120 + 45 * std::max(0.0f, 1.0f - std::hypot(dx, dy)));
            row.insert(row.end(), {level, std::uint8_t(level + 4), std::uint8_t(level + 8)});
        }
        rows.push_back(row);
    }
    return pngFile({.width = side, .height = side, .rows = rows});
}

// ---- Output

struct Texture {
    std::string nameInModel; // 8.3 upper case, as 3DS files name textures
    std::string nameOnDisk;
    Bytes bytes;
};

void save(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-model DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);

    const std::vector<Texture> textures = {
        {"CAMO1.BMP", "CAMO1.BMP", bmpCamouflage()},
        {"CANOPY.GIF", "CANOPY.GIF", gifCanopy()},
        {"INSIG.TGA", "INSIG.TGA", tgaInsignia()},
        {"NOZZLE.PCX", "nozzle.pcx", pcxNozzle()}, // found by the case-insensitive open
        {"FINFLASH.JPG", "FINFLASH.JPG", jpegFinFlash()},
        {"RADOME.PNG", "RADOME.PNG", pngRadome()},
    };
    // The viewer lights the jet with one white point light above, right of and in front of
    // the eye and no ambient light of its own, so the global ambient (0.2) times a
    // material's ambient colour is all that the faces turned from the light show. Seen from
    // above, the light falls on the top at about 56 degrees from the normal; the shininess
    // percentages become exponents below 1, so the specular colour adds almost evenly over
    // every lit face. The lit colour is clamped before the texture modulates it, so a face
    // is at most as bright as its texture: the textures' own colours keep the jet from
    // washing out, and the materials only decide how near the lit faces come to them.
    const std::vector<Material> materials = {
        {.name = "SKIN",
         .ambient = {1.0f, 1.0f, 1.0f},
         .diffuse = {1.0f, 1.0f, 1.0f},
         .specular = {0.45f, 0.45f, 0.45f},
         .shininess = 15,
         .texture = "CAMO1.BMP"},
        {.name = "CANOPY",
         .ambient = {0.8f, 0.85f, 0.9f},
         .diffuse = {0.75f, 0.82f, 0.9f},
         .specular = {0.9f, 0.9f, 0.9f},
         .shininess = 80,
         .texture = "CANOPY.GIF"},
        {.name = "INSIGNIA",
         .ambient = {1.0f, 1.0f, 1.0f},
         .diffuse = {0.95f, 0.95f, 0.95f},
         .specular = {0.3f, 0.3f, 0.3f},
         .shininess = 15,
         .texture = "INSIG.TGA"},
        {.name = "NOZZLE",
         .ambient = {1.0f, 1.0f, 1.0f},
         .diffuse = {0.85f, 0.85f, 0.85f},
         .specular = {0.7f, 0.7f, 0.7f},
         .shininess = 60,
         .texture = "NOZZLE.PCX"},
        {.name = "FINFLASH",
         .ambient = {1.0f, 1.0f, 1.0f},
         .diffuse = {0.95f, 0.95f, 0.95f},
         .specular = {0.3f, 0.3f, 0.3f},
         .shininess = 15,
         .texture = "FINFLASH.JPG"},
        {.name = "RADOME",
         .ambient = {1.0f, 1.0f, 1.0f},
         .diffuse = {0.9f, 0.9f, 0.9f},
         .specular = {0.5f, 0.5f, 0.5f},
         .shininess = 40,
         .texture = "RADOME.PNG"},
        // Intake mouths, exhaust throats and the ends of the fuselage: near black, but not
        // the background's black.
        {.name = "DARK",
         .ambient = {0.3f, 0.3f, 0.32f},
         .diffuse = {0.12f, 0.12f, 0.13f},
         .specular = {0.1f, 0.1f, 0.1f},
         .shininess = 10},
        {.name = "TANK",
         .ambient = {0.75f, 0.77f, 0.75f},
         .diffuse = {0.6f, 0.62f, 0.6f},
         .specular = {0.35f, 0.35f, 0.35f},
         .shininess = 35},
        {.name = "MISSILE",
         .ambient = {0.9f, 0.9f, 0.88f},
         .diffuse = {0.85f, 0.85f, 0.83f},
         .specular = {0.35f, 0.35f, 0.35f},
         .shininess = 40},
    };
    std::vector<Part> parts = {fuselage(), noseCone(), canopy(),     dropTank(),
                               pylon(),    fin(),      finMarkings()};
    for (const Part& part : {intake(), wing(), wingMarking(), tailplane(), nozzle(), missile()})
        parts.push_back(part);
    const std::vector<std::pair<Part, std::string>> pairs = {
        {intake(), "INTAKE_L"},       {wing(), "WING_L"},     {wingMarking(), "MARK_L"},
        {tailplane(), "TAILPLANE_L"}, {nozzle(), "NOZZLE_L"}, {missile(), "MISSILE_L"},
    };
    for (const auto& [part, name] : pairs)
        parts.push_back(part.mirrored(name));

    std::vector<Chunk> chunks;
    for (const Material& material : materials)
        chunks.push_back(materialChunk(material));
    std::size_t faces = 0;
    for (const Part& part : parts) {
        chunks.push_back(part.scaled(modelScale).chunk());
        faces += part.faceCount();
    }
    save(directory / "f5e_05.3ds", modelFile(chunks));
    for (const Texture& texture : textures)
        save(directory / texture.nameOnDisk, texture.bytes);
    std::printf("wrote %s: %zu objects, %zu faces, %zu materials, %zu textures\n",
                (directory / "f5e_05.3ds").c_str(), parts.size(), faces, materials.size(),
                textures.size());
    return 0;
}
