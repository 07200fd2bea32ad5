#include "tools/levelgen/Level.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <glm/gtc/matrix_transform.hpp>

#include "tools/levelgen/Noise.h"
#include "tools/levelgen/Props.h"

namespace {

glm::mat4 placeAt(glm::vec3 position, float yawDegrees, float scale = 1.0f) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), position);
    m = glm::rotate(m, glm::radians(yawDegrees), glm::vec3(0, 1, 0));
    return glm::scale(m, glm::vec3(scale));
}

glm::vec3 onGround(float x, float z, float lift = 0.0f) {
    return glm::vec3(x, terrainHeight(x, z) + lift, z);
}

// Y-up coordinates into those of a Z_UP file, whose root turns them back.
glm::vec3 toZUp(glm::vec3 v) {
    return glm::vec3(v.x, -v.z, v.y);
}

// Moves the mesh so the middle of its box is its origin, the point the game turns it about.
MeshData centred(MeshData mesh) {
    Bounds box = meshBounds(mesh);
    glm::vec3 middle = (box.min + box.max) * 0.5f;
    for (glm::vec3& p : mesh.positions) {
        p -= middle;
    }
    return mesh;
}

MeshData meshToZUp(const MeshData& mesh) {
    MeshData out = mesh;
    for (size_t i = 0; i < out.positions.size(); ++i) {
        out.positions[i] = toZUp(mesh.positions[i]);
        out.normals[i] = toZUp(mesh.normals[i]);
    }
    return out;
}

ModelFile drawn(const std::string& name, const std::string& texture, MeshData mesh,
                std::vector<glm::mat4> placements) {
    ModelFile file;
    file.name = name;
    file.texture = texture;
    file.mesh = std::move(mesh);
    file.placements = std::move(placements);
    file.listed = true;
    file.collides = true;
    return file;
}

// Places where scattered props must not stand: the routes, the buildings, the drugs, the pond.
struct Keepout {
    std::vector<glm::vec3> circles; // x, z, radius
    bool blocks(glm::vec2 p) const {
        for (const glm::vec3& c : circles) {
            if (glm::length(p - glm::vec2(c.x, c.y)) < c.z) {
                return true;
            }
        }
        return false;
    }
};

// The straight walks between the places a player heads for stay clear of props.
void keepLineClear(Keepout& keepout, glm::vec2 a, glm::vec2 b, float radius) {
    int steps = static_cast<int>(glm::length(b - a) / (radius * 0.5f)) + 1;
    for (int i = 0; i <= steps; ++i) {
        glm::vec2 p = a + (b - a) * (static_cast<float>(i) / static_cast<float>(steps));
        keepout.circles.push_back(glm::vec3(p, radius));
    }
}

// Scatters count props in the ring between two rounded-square distances from the centre,
// away from the keep-out places and from each other.
std::vector<glm::vec2> scatter(Sequence& random, Keepout& keepout, int count, float inner,
                               float outer, float spacing,
                               const std::function<bool(glm::vec2)>& allowed) {
    std::vector<glm::vec2> points;
    for (int attempt = 0; attempt < 4000 && static_cast<int>(points.size()) < count; ++attempt) {
        glm::vec2 p(random.range(-outer, outer), random.range(-outer, outer));
        float d =
            std::pow(std::pow(std::fabs(p.x), 6.0f) + std::pow(std::fabs(p.y), 6.0f), 1.0f / 6.0f);
        if (d < inner || d > outer || keepout.blocks(p) || !allowed(p)) {
            continue;
        }
        points.push_back(p);
        keepout.circles.push_back(glm::vec3(p, spacing));
    }
    return points;
}

float slopeAt(glm::vec2 p) {
    const float e = 0.5f;
    float dx = (terrainHeight(p.x + e, p.y) - terrainHeight(p.x - e, p.y)) / (2.0f * e);
    float dz = (terrainHeight(p.x, p.y + e) - terrainHeight(p.x, p.y - e)) / (2.0f * e);
    return std::sqrt(dx * dx + dz * dz);
}

bool inPond(glm::vec2 p, float margin) {
    return glm::length(p - kPondCentre) < kPondRadius + margin;
}

} // namespace

std::vector<ModelFile> buildModels(LevelLayout& layout) {
    std::vector<ModelFile> files;
    TerrainMeshes terrain = buildTerrain();
    // The ground and the cliffs in pieces, so the passes draw only those in view. The corner
    // piece of greatest x and z keeps the plain name, and with it the level's outer corner.
    for (const char* base : {"terrain", "cliffs"}) {
        const bool grass = base[0] == 't';
        std::vector<MeshData> pieces =
            splitIntoTiles(grass ? terrain.grass : terrain.cliffs, kTerrainHalfSize, kTerrainTiles);
        // A piece shaped like a basin would have its normals turned inside out by the
        // importer; it joins the piece after it.
        for (size_t k = 0; k + 1 < pieces.size(); ++k) {
            if (!pieces[k].indices.empty() && infacingRepairWouldFlip(pieces[k])) {
                appendTransformed(pieces[k + 1], pieces[k], glm::mat4(1.0f));
                pieces[k] = MeshData();
            }
        }
        for (size_t k = 0; k < pieces.size(); ++k) {
            MeshData& piece = pieces[pieces.size() - 1 - k];
            if (!piece.indices.empty()) {
                const std::string suffix = k == 0 ? "" : std::to_string(k);
                files.push_back(drawn(base + suffix + ".dae", grass ? "grass.png" : "cliff.png",
                                      std::move(piece), {glm::mat4(1.0f)}));
            }
        }
    }
    files.push_back(drawn("pondbed.dae", "mud.png", terrain.pond, {glm::mat4(1.0f)}));
    files.push_back(drawn("paths.dae", "dirt.png", terrain.paths, {glm::mat4(1.0f)}));

    // The laboratory: an open shelter round the table, a hut, a water tank, crates and barrels.
    const glm::vec3 lab = onGround(kLabCentre.x, kLabCentre.y);
    const glm::vec3 hut = onGround(13.0f, -22.0f);
    const glm::vec3 tank = onGround(-12.0f, -17.0f);
    files.push_back(drawn("shelter.dae", "wood.png", makeShelter(), {placeAt(lab, 0.0f)}));
    // The buildings and props are made at about a third of the player's size (the eye is five
    // units up) and placed scaled to it.
    files.push_back(drawn("hut.dae", "wood.png", makeHut(), {placeAt(hut, -12.0f, 1.5f)}));
    files.push_back(drawn("tank.dae", "metal.png", makeTank(), {placeAt(tank, 15.0f, 1.4f)}));
    layout.structures = {lab, hut, tank};

    struct Prop {
        float x, z, yaw, lift;
    };
    const float crateScale = 1.5f, barrelScale = 1.6f;
    const Prop crates[] = {{5.8f, -16.6f, 10.0f, 0.0f},  {7.7f, -17.2f, 35.0f, 0.0f},
                           {6.7f, -16.9f, 22.0f, 1.8f},  {9.0f, -15.0f, -15.0f, 0.0f},
                           {-7.4f, -21.5f, 5.0f, 0.0f},  {-8.0f, -23.6f, 40.0f, 0.0f},
                           {-7.7f, -22.5f, 18.0f, 1.8f}, {20.2f, -26.4f, 8.0f, 0.0f}};
    std::vector<glm::mat4> cratePlaces;
    for (const Prop& p : crates) {
        glm::vec3 at = onGround(p.x, p.z, -0.05f);
        at.y = (p.x > 10.0f ? hut.y : lab.y) - 0.05f + p.lift;
        cratePlaces.push_back(placeAt(at, p.yaw, crateScale));
        layout.crates.push_back(at);
    }
    files.push_back(drawn("crates.dae", "crate.png", makeCrate(), cratePlaces));

    const Prop barrels[] = {{-9.0f, -13.6f, 0.0f, 0.0f},   {-10.1f, -13.0f, 50.0f, 0.0f},
                            {-15.6f, -19.6f, 20.0f, 0.0f}, {-15.0f, -20.8f, 80.0f, 0.0f},
                            {5.6f, -25.6f, 10.0f, 0.0f},   {17.8f, -18.6f, 30.0f, 0.0f},
                            {18.6f, -19.7f, 70.0f, 0.0f}};
    std::vector<glm::mat4> barrelPlaces;
    for (const Prop& p : barrels) {
        glm::vec3 at = onGround(p.x, p.z, -0.05f);
        barrelPlaces.push_back(placeAt(at, p.yaw, barrelScale));
        layout.barrels.push_back(at);
    }
    files.push_back(drawn("barrels.dae", "barrel.png", makeBarrel(), barrelPlaces));

    // Drug placements: spread over the valley, the ramp and the mesa, each hovering over open
    // ground a little above the reach of the player's feet.
    const glm::vec2 drugSpots[] = {{5.0f, -8.5f},   {-16.0f, -30.0f}, {22.0f, -35.0f},
                                   {35.0f, -6.0f},  {27.0f, 24.0f},   {4.0f, 31.0f},
                                   {-21.0f, 7.25f}, {-20.0f, 20.0f},  {-41.0f, 31.0f}};
    Sequence drugRandom{7u};
    std::vector<glm::mat4> drugPlaces;
    for (glm::vec2 spot : drugSpots) {
        glm::vec3 centre = onGround(spot.x, spot.y, 1.1f);
        glm::mat4 m = placeAt(centre, drugRandom.range(0.0f, 360.0f));
        m = glm::rotate(m, glm::radians(drugRandom.range(15.0f, 35.0f)), glm::vec3(0, 0, 1));
        drugPlaces.push_back(m);
        layout.drugs.push_back(centre);
    }

    // Scattered rocks and trees keep off the routes between the places above.
    Keepout keepout;
    keepout.circles = {{0.0f, 0.0f, 7.0f},
                       {kLabCentre.x, kLabCentre.y, 11.0f},
                       {hut.x, hut.z, 10.0f},
                       {tank.x, tank.z, 8.0f},
                       {kPondCentre.x, kPondCentre.y, kPondRadius + 1.0f}};
    for (glm::vec2 spot : drugSpots) {
        keepout.circles.push_back(glm::vec3(spot, 4.0f));
        keepLineClear(keepout, glm::vec2(0.0f), spot, 2.5f);
    }
    keepLineClear(keepout, glm::vec2(0.0f), kLabCentre, 3.0f);
    keepLineClear(keepout, kRampBottom, kRampTop, 4.5f);
    keepLineClear(keepout, kRampTop, glm::vec2(-33.5f, 8.0f), 4.0f);
    keepLineClear(keepout, glm::vec2(-33.5f, 8.0f), glm::vec2(-20.0f, 20.0f), 3.0f);
    keepLineClear(keepout, glm::vec2(-33.5f, 8.0f), glm::vec2(-41.0f, 31.0f), 3.0f);
    keepLineClear(keepout, glm::vec2(-4.0f, 7.0f), glm::vec2(-5.0f, 0.0f), 3.0f);

    // A small graveyard among the dead trees in the west, the crosses leaning every way.
    const glm::vec2 graveyard(-34.0f, -18.0f);
    keepout.circles.push_back(glm::vec3(graveyard, 5.5f));
    Sequence graveRandom{31u};
    std::vector<glm::mat4> crossPlaces;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            glm::vec2 p = graveyard + glm::vec2(2.6f * static_cast<float>(column) - 2.6f,
                                                3.4f * static_cast<float>(row) - 1.7f);
            p += glm::vec2(graveRandom.range(-0.4f, 0.4f), graveRandom.range(-0.4f, 0.4f));
            glm::mat4 m = placeAt(onGround(p.x, p.y), graveRandom.range(-20.0f, 20.0f), 2.0f);
            m = glm::rotate(m, glm::radians(graveRandom.range(-12.0f, 12.0f)), glm::vec3(1, 0, 0));
            m = glm::rotate(m, glm::radians(graveRandom.range(-12.0f, 12.0f)), glm::vec3(0, 0, 1));
            crossPlaces.push_back(m);
            layout.crosses.push_back(glm::vec3(p.x, 0.0f, p.y));
        }
    }
    files.push_back(drawn("crosses.dae", "bark.png", makeCross(), crossPlaces));

    Sequence random{2024u};
    auto valleyGround = [](glm::vec2 p) {
        return terrainHeight(p.x, p.y) < 4.0f && slopeAt(p) < 0.3f;
    };
    auto mesaGround = [](glm::vec2 p) {
        return terrainHeight(p.x, p.y) > 14.9f && slopeAt(p) < 0.25f && !inPond(p, 1.0f);
    };
    std::vector<glm::mat4> rockPlaces;
    auto addRocks = [&](const std::vector<glm::vec2>& points, float low, float high) {
        for (glm::vec2 p : points) {
            float scale = random.range(low, high);
            glm::mat4 m = placeAt(onGround(p.x, p.y, -0.15f * scale), random.range(0.0f, 360.0f));
            m = glm::scale(m, glm::vec3(scale, scale * random.range(0.7f, 1.1f), scale));
            rockPlaces.push_back(m);
            layout.rocks.push_back(glm::vec3(p.x, scale, p.y));
        }
    };
    // Big boulders at the foot of the cliffs, smaller ones out in the valley and on the mesa.
    addRocks(scatter(random, keepout, 16, 36.0f, 44.0f, 5.0f, valleyGround), 1.8f, 3.2f);
    addRocks(scatter(random, keepout, 10, 8.0f, 36.0f, 6.0f, valleyGround), 0.7f, 1.6f);
    addRocks(scatter(random, keepout, 5, 14.0f, 44.0f, 5.0f, mesaGround), 0.8f, 1.8f);
    files.push_back(drawn("rocks.dae", "rock.png", makeRock(), rockPlaces));

    std::vector<glm::mat4> pinePlaces;
    auto forest = [&](glm::vec2 p) {
        bool east = p.x > 20.0f && p.y > -30.0f;
        bool south = p.y > 22.0f && p.x > -8.0f;
        return (east || south) && valleyGround(p);
    };
    for (glm::vec2 p : scatter(random, keepout, 30, 10.0f, 45.0f, 3.8f, forest)) {
        pinePlaces.push_back(
            placeAt(onGround(p.x, p.y), random.range(0.0f, 360.0f), random.range(0.85f, 1.3f)));
        layout.trees.push_back(glm::vec3(p.x, 0.0f, p.y));
    }
    files.push_back(drawn("pines.dae", "pine.png", makePine(), pinePlaces));

    std::vector<glm::mat4> deadPlaces;
    auto bleak = [&](glm::vec2 p) {
        bool byPond = mesaGround(p) && glm::length(p - kPondCentre) < kPondRadius + 6.0f;
        bool west = p.x < -18.0f && p.y < 0.0f && valleyGround(p);
        return byPond || west;
    };
    for (glm::vec2 p : scatter(random, keepout, 10, 10.0f, 45.0f, 4.0f, bleak)) {
        deadPlaces.push_back(
            placeAt(onGround(p.x, p.y), random.range(0.0f, 360.0f), random.range(0.9f, 1.25f)));
        layout.deadTrees.push_back(glm::vec3(p.x, 0.0f, p.y));
    }
    files.push_back(drawn("deadtrees.dae", "bark.png", makeDeadTree(), deadPlaces));

    // Models the game places itself: never in the collision mesh, not in the mesh list.
    ModelFile water;
    water.name = "waterplane.obj";
    {
        // A disc of rings round the pond's centre, every vertex at the water height.
        const int rings = 4, segments = 32;
        uint32_t centre =
            addVertex(water.mesh, glm::vec3(kPondCentre.x, kWaterHeight, kPondCentre.y),
                      glm::vec3(0, 1, 0), glm::vec2(0.5f * 4.0f));
        for (int r = 1; r <= rings; ++r) {
            float radius = kWaterRadius * static_cast<float>(r) / static_cast<float>(rings);
            for (int s = 0; s < segments; ++s) {
                float a = 2.0f * kPi * static_cast<float>(s) / static_cast<float>(segments);
                glm::vec2 offset(radius * std::cos(a), radius * std::sin(a));
                glm::vec2 uv = (offset / (2.0f * kWaterRadius) + 0.5f) * 4.0f;
                addVertex(
                    water.mesh,
                    glm::vec3(kPondCentre.x + offset.x, kWaterHeight, kPondCentre.y + offset.y),
                    glm::vec3(0, 1, 0), uv);
            }
        }
        auto ringVertex = [&](int r, int s) {
            return centre + 1u + static_cast<uint32_t>((r - 1) * segments + (s % segments));
        };
        // Counter-clockwise seen from above.
        for (int s = 0; s < segments; ++s) {
            addTriangle(water.mesh, centre, ringVertex(1, s + 1), ringVertex(1, s));
        }
        for (int r = 1; r < rings; ++r) {
            for (int s = 0; s < segments; ++s) {
                addTriangle(water.mesh, ringVertex(r, s), ringVertex(r, s + 1),
                            ringVertex(r + 1, s + 1));
                addTriangle(water.mesh, ringVertex(r, s), ringVertex(r + 1, s + 1),
                            ringVertex(r + 1, s));
            }
        }
        water.placements = {glm::mat4(1.0f)};
    }
    files.push_back(water);

    ModelFile drugs;
    drugs.name = "drugs3.dae";
    drugs.texture = "drug.png";
    drugs.mesh = makeDrug();
    drugs.placements = drugPlaces;
    files.push_back(drugs);

    ModelFile table;
    table.name = "Mixtable.dae";
    table.texture = "table.png";
    appendTransformed(table.mesh, makeTable(kTableHalfExtent),
                      glm::scale(glm::mat4(1.0f), 1.0f / kTableHalfExtent));
    // Standing on the ground in the middle of the shelter.
    layout.tableCentre = glm::vec3(lab.x, lab.y + kTableHalfExtent.y, lab.z);
    table.placements = {
        glm::scale(glm::translate(glm::mat4(1.0f), layout.tableCentre), kTableHalfExtent)};
    files.push_back(table);

    // The apparition: authored in world units round its origin; the game's orbit transform
    // cancels the file's root rotation, so the only child is the identity.
    ModelFile apparition;
    apparition.name = "test.dae";
    apparition.texture = "ghost.png";
    apparition.up = UpAxis::Z;
    apparition.mesh = centred(makeApparition());
    apparition.placements = {glm::mat4(1.0f)};
    files.push_back(apparition);

    // The head and the faces turn about their local z, the world's vertical in a Z_UP file.
    layout.head = glm::vec3(18.0f, 15.0f, -36.0f);
    ModelFile head;
    head.name = "npcHead.dae";
    head.texture = "head.png";
    head.up = UpAxis::Z;
    head.mesh = meshToZUp(centred(makeHead()));
    head.placements = {
        glm::scale(glm::translate(glm::mat4(1.0f), toZUp(layout.head)), glm::vec3(2.4f))};
    files.push_back(head);

    layout.faces = glm::vec3(kPondCentre.x, 21.5f, kPondCentre.y);
    ModelFile faces;
    faces.name = "rotfaces.dae";
    faces.texture = "faces.png";
    faces.up = UpAxis::Z;
    faces.mesh = meshToZUp(centred(makeFaceCluster()));
    faces.placements = {
        glm::scale(glm::translate(glm::mat4(1.0f), toZUp(layout.faces)), glm::vec3(1.7f))};
    files.push_back(faces);
    return files;
}
