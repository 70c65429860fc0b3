#pragma once
// A scene manager and scene without a device, a memory file system and the
// report switch set to record, for the object loader's tests; the drawing
// tests put the manager on a renderer with startRenderer().
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class LwoRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportLevel = 3;
        reportToText = 1;
        lastErrorText.assignCString("");
        manager = std::make_unique<SceneManager>(nullptr, "test");
        scene = manager->loadScene("scene");
    }
    void TearDown() override
    {
        manager.reset();
        if (rigHolder) {
            rigHolder.reset();
            drainWindowMessages();
            selectD3D9Backend(D3D9Backend::Default);
        }
        resetReportSwitch();
    }

    // A fresh manager and scene drawing through a renderer in a 64 x 64
    // window on `backend`. False when no device could be made (no display
    // for GL); what the start printed is in startOutput.
    bool startRenderer(D3D9Backend backend, bool fixedFunction = true)
    {
        manager.reset();
        selectD3D9Backend(backend);
        testing::internal::CaptureStderr();
        rigHolder = std::make_unique<RendererRig>();
        const bool started = rigHolder->start(64, 64, fixedFunction);
        startOutput = testing::internal::GetCapturedStderr();
        drainWindowMessages();
        if (!started)
            return false;
        manager = std::make_unique<SceneManager>(rigHolder->renderer.get(), "test");
        scene = manager->loadScene("scene");
        return true;
    }
    RendererRig& rig() { return *rigHolder; }

    LwoFile* load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        files.addFile(name, bytes);
        return scene->findOrLoadLwo(&files, name);
    }
    std::string lastError() const { return lastErrorText.c_str(); }
    Surface* surface(const std::string& key) const { return manager->findSurface(key); }

    MemoryFileSystem files;
    std::unique_ptr<RendererRig> rigHolder;
    std::string startOutput;
    std::unique_ptr<SceneManager> manager;
    Scene* scene = nullptr;
};

inline std::vector<std::array<float, 3>> gridPoints(size_t count)
{
    std::vector<std::array<float, 3>> points;
    for (size_t i = 0; i < count; ++i)
        points.push_back({float(i % 256), float(i / 256), 0.0f});
    return points;
}
