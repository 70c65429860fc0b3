#pragma once
// A scene manager and scene without a device, a memory file system with a
// cube object, and the report switch set to record, for the scene loader's
// tests.
#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class LwsRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        reportLevel = 3;
        reportToText = 1;
        lastErrorText.assignCString("");
        files.addFile("Objects/cube.lwo", lwo2Cube());
        manager = std::make_unique<SceneManager>(nullptr, "test");
        scene = manager->loadScene("scene");
    }
    void TearDown() override
    {
        manager.reset();
        resetReportSwitch();
    }

    bool load(const std::string& text, const std::string& name = "test.lws")
    {
        files.addFile(name, std::vector<uint8_t>(text.begin(), text.end()));
        return scene->loadLWS(&files, name, nullptr, 0.0f, 1.0f);
    }
    std::string lastError() const { return lastErrorText.c_str(); }
    MeshObject* object(size_t i) const { return i < scene->m_objects.size() ? scene->m_objects[i] : nullptr; }
    Light* light(size_t i) const
    {
        return i < scene->m_lights.size() ? static_cast<Light*>(scene->m_lights[i]) : nullptr;
    }

    // One object, one light, one camera: the smallest scene that loads.
    static LwsWriter minimal()
    {
        LwsWriter w;
        w.key("FirstFrame", {1}).key("LastFrame", {60}).key("FramesPerSecond", {30});
        w.loadObjectLayer(1, "Objects/cube.lwo");
        w.motion("ObjectMotion", {{1, {{{2.5f, 0, 0, {}}}}}});
        return w;
    }
    static LwsWriter& close(LwsWriter& w)
    {
        w.addLight("Sun");
        w.addCamera("Camera", {{2, {{{-5, 0, 0, {}}}}}});
        return w;
    }

    MemoryFileSystem files;
    std::unique_ptr<SceneManager> manager;
    Scene* scene = nullptr;
};
