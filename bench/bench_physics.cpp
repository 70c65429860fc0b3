// One physics step of a race: 7 kart-like rigs (a box chassis and four
// sphere wheels, each wheel on a vertical slider with a spring and a
// damper) resting on a floor of 20,000 triangles. Each kart's parts sit in a
// space of their own inside the top hash space; the filters collide karts
// with the floor and with each other, never a kart with itself.
//
// "engine" is the step as the game runs it: the near callback through the
// filter and handler tables, the slider springs, ODE's quick step and the
// body sync of every object. "bare ODE" is the same world stepped with a
// callback that only calls dCollide and makes the contact joints, and the
// same spring forces applied directly: what the step costs without our
// code. The summary prints microseconds per step for both and the share of
// the engine step spent in our code.
#include "engine/core/base/Report.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/Scene.h"
#include "tools/lib/TriangleWriter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kKarts = 7;
constexpr double kStep = 0.01;

double g_engineMicros = 0.0;
double g_bareMicros = 0.0;

struct Rig {
    CollisionObject* chassis;
    CollisionObject* wheels[4];
    OdeJointItem* sliders[4];
};

class KartWorld {
public:
    KartWorld() : m_scene(nullptr)
    {
        m_scene.addSpace(1, "top", SpaceRecord::NoParent);
        m_floorMesh.reset(writeFloor(50.0f, 0.0f, 100));
        m_floor = collisionObject(ShapeTriMesh, 0, 0, 0, 0, 0, 1, 1, 1);
        m_floor->addLod(m_floorMesh.get(), 0.0f);
        for (int k = 0; k < kKarts; ++k) {
            const uint32_t space = uint32_t(m_scene.addSpace(0, "kart", 0));
            const float x = -30.0f + 10.0f * float(k), z = float(k % 2) * 3.0f;
            Rig rig;
            rig.chassis = collisionObject(ShapeBox, 1, space, x, 0.8f, z, 1.2f, 0.4f, 2.0f);
            dMassSetBoxTotal(&rig.chassis->m_mass, 150.0, 1.2, 0.4, 2.0);
            rig.chassis->createBody();
            for (int w = 0; w < 4; ++w) {
                const float wx = x + ((w & 1) ? 0.7f : -0.7f), wz = z + ((w & 2) ? 0.8f : -0.8f);
                CollisionObject* wheel = collisionObject(ShapeSphere, 2, space, wx, 0.3f, wz, 0.3f, 0.3f, 0.3f);
                dMassSetSphereTotal(&wheel->m_mass, 10.0, 0.3);
                wheel->createBody();
                auto* slider = new OdeJointItem(&m_scene);
                slider->m_jointType = JointSlider;
                slider->m_object1 = rig.chassis;
                slider->m_object2 = wheel;
                slider->m_motion[PositionX].m_value = wx;
                slider->m_motion[PositionY].m_value = 0.3f;
                slider->m_motion[PositionZ].m_value = wz;
                // Banked a quarter turn: the item's X axis, the slide, points up.
                slider->m_motion[RotationB].m_value = 1.5707964f;
                slider->m_springForce = 6000.0f;
                slider->m_damperForce = 800.0f;
                m_scene.m_objects.push_back(slider);
                rig.wheels[w] = wheel;
                rig.sliders[w] = slider;
            }
            m_rigs.push_back(rig);
            // Karts collide with the floor and with each other.
            m_scene.m_collideFilterTable.m_filters[0][space] = &m_enabled;
            m_scene.m_collideFilterTable.m_filters[space][0] = &m_enabled;
            for (uint32_t other = 1; other < space; ++other) {
                m_scene.m_collideFilterTable.m_filters[other][space] = &m_enabled;
                m_scene.m_collideFilterTable.m_filters[space][other] = &m_enabled;
            }
        }
        m_scene.prepare(nullptr, 0.0f, 1.0f);
    }
    ~KartWorld() { m_floor->m_lods.clear(); }

    void engineStep()
    {
        dSpaceCollide(m_scene.getSpace(0).space, &m_scene, nearCallback);
        for (MeshObject* object : m_scene.m_objects)
            if (object->m_itemType == ItemOdeJoint)
                object->evaluateMotion(m_time);
        finishStep();
        // The body sync the renderer's matrix queries run for the collision
        // objects (the joint items evaluated themselves above).
        for (MeshObject* object : m_scene.m_objects) {
            if (object->m_itemType == ItemOdeJoint)
                continue;
            object->invalidateMatrices();
            object->getMatrix(m_time);
        }
    }

    void bareStep()
    {
        dSpaceCollide(m_scene.getSpace(0).space, this, bareCallback);
        for (const Rig& rig : m_rigs)
            for (OdeJointItem* slider : rig.sliders)
                bareSpring(slider);
        finishStep();
    }

    int32_t wheelsOnFloor() const
    {
        int32_t count = 0;
        for (const Rig& rig : m_rigs)
            for (CollisionObject* wheel : rig.wheels)
                count += dBodyGetPosition(wheel->m_body)[1] < 0.35 ? 1 : 0;
        return count;
    }

private:
    CollisionObject* collisionObject(uint32_t shape, uint32_t surface, uint32_t space, float x, float y, float z,
                                     float sx, float sy, float sz)
    {
        auto* object = new CollisionObject(&m_scene);
        object->m_shapeType = shape;
        object->m_surfaceClass = surface;
        object->m_spaceIndex = space;
        const float at[3] = {x, y, z}, size[3] = {sx, sy, sz};
        for (int i = 0; i < 3; ++i) {
            object->m_motion[PositionX + i].m_value = at[i];
            object->m_motion[ScaleX + i].m_value = size[i];
        }
        m_scene.m_objects.push_back(object);
        return object;
    }

    void finishStep()
    {
        dWorldQuickStep(m_scene.m_world, kStep);
        dJointGroupEmpty(m_scene.m_contactGroup);
        m_time += kStep;
    }

    // The least the step needs: the kart spaces against the floor and each
    // other, and contact joints with the default parameters.
    static void bareCallback(void* data, dGeomID o1, dGeomID o2)
    {
        auto* world = static_cast<KartWorld*>(data);
        if (dGeomIsSpace(o1) || dGeomIsSpace(o2)) {
            dSpaceCollide2(o1, o2, data, bareCallback);
            return;
        }
        const dBodyID b1 = dGeomGetBody(o1), b2 = dGeomGetBody(o2);
        dContact contacts[16];
        const int n = dCollide(o1, o2, 16, &contacts[0].geom, sizeof(dContact));
        const ContactHandler& defaults = world->m_scene.m_contactTable.m_default;
        for (int i = 0; i < n; ++i) {
            contacts[i].surface = defaults.m_surface;
            for (int k = 0; k < 4; ++k)
                contacts[i].fdir1[k] = 0.0;
            dJointAttach(dJointCreateContact(world->m_scene.m_world, world->m_scene.m_contactGroup, &contacts[i]),
                         b1, b2);
        }
    }

    static void bareSpring(OdeJointItem* slider)
    {
        const dBodyID b1 = slider->m_object1->m_body, b2 = slider->m_object2->m_body;
        dVector3 w1, w2;
        dBodyGetRelPointPos(b1, slider->m_anchor1[0], slider->m_anchor1[1], slider->m_anchor1[2], w1);
        dBodyGetRelPointPos(b2, slider->m_anchor2[0], slider->m_anchor2[1], slider->m_anchor2[2], w2);
        const dReal k = slider->m_springForce;
        dBodyAddForceAtRelPos(b1, k * (w2[0] - w1[0]), k * (w2[1] - w1[1]), k * (w2[2] - w1[2]),
                              slider->m_anchor1[0], slider->m_anchor1[1], slider->m_anchor1[2]);
        dBodyAddForceAtRelPos(b2, k * (w1[0] - w2[0]), k * (w1[1] - w2[1]), k * (w1[2] - w2[2]),
                              slider->m_anchor2[0], slider->m_anchor2[1], slider->m_anchor2[2]);
        dJointSetSliderParam(slider->m_joint, dParamVel, 0.0);
        dJointSetSliderParam(slider->m_joint, dParamFMax,
                             std::fabs(dJointGetSliderPosition(slider->m_joint)) * slider->m_damperForce);
    }

    Scene m_scene;
    CollideFilter m_enabled{true};
    std::unique_ptr<TriangleSource> m_floorMesh;
    CollisionObject* m_floor;
    std::vector<Rig> m_rigs;
    double m_time = 0.0;
};

// Both variants start from karts that have settled on their springs and
// step in turn, so that both see the same load on the machine.
void BM_KartStep(benchmark::State& state)
{
    KartWorld engine, bare;
    for (int i = 0; i < 200; ++i) {
        engine.engineStep();
        bare.engineStep();
    }
    using Clock = std::chrono::steady_clock;
    double engineSeconds = 0.0, bareSeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        engine.engineStep();
        const auto t1 = Clock::now();
        bare.bareStep();
        const auto t2 = Clock::now();
        engineSeconds += std::chrono::duration<double>(t1 - t0).count();
        bareSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    g_engineMicros = 1e6 * engineSeconds / double(state.iterations());
    g_bareMicros = 1e6 * bareSeconds / double(state.iterations());
    state.counters["engine_us"] = g_engineMicros;
    state.counters["bare_ode_us"] = g_bareMicros;
    state.counters["wheels_on_floor"] = double(engine.wheelsOnFloor());
}
BENCHMARK(BM_KartStep)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(3000);

} // namespace

int main(int argc, char** argv)
{
    reportLevel = 3;
    reportToText = 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_engineMicros > 0 && g_bareMicros > 0) {
        std::printf("\n%d karts on %d floor triangles, per 0.01 s step: engine %.1f us, bare ODE %.1f us\n", kKarts,
                    20000, g_engineMicros, g_bareMicros);
        std::printf("share of the engine step spent in our code: %.1f%%\n",
                    100.0 * (g_engineMicros - g_bareMicros) / g_engineMicros);
    }
    return 0;
}
