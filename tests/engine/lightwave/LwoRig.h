#pragma once
// A scene manager and scene without a device, a memory file system and the
// report switch set to record, for the object loader's tests.
#include "engine/core/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
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
        resetReportSwitch();
    }

    LwoFile* load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        files.addFile(name, bytes);
        return scene->findOrLoadLwo(&files, name);
    }
    std::string lastError() const { return lastErrorText.c_str(); }
    Surface* surface(const std::string& key) const { return manager->findSurface(key); }

    MemoryFileSystem files;
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
