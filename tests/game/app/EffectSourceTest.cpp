// The material shaders the game hands the shader passes: from the packed
// archive, only when the engine settings choose those passes.
#include "game/app/EffectSource.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderPass.h"
#include "game/app/XmlText.h"
#include "platform/d3dx/D3DXShader.h"
#include "support/MaterialShaders.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class EffectSourceTest : public ::testing::Test {
protected:
    RecordingWorld m_world;
    RendererRig m_rig;

    std::vector<ShaderPass*> passes() const
    {
        const Renderer& r = *m_rig.renderer;
        std::vector<ShaderPass*> all;
        for (ShaderPass* pass : {r.m_mainPass.get(), r.m_secondPass.get(), r.m_noDepthPass.get(), r.m_opaquePass.get()})
            if (pass)
                all.push_back(pass);
        return all;
    }
};

TEST_F(EffectSourceTest, ShaderPassesCompileTheArchivesMaterialShaders)
{
    ASSERT_TRUE(m_rig.start(64, 64, false));
    const std::string packed = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
    DiskFile disk("");
    ArchiveFile archive;
    ASSERT_TRUE(archive.mount(disk, packed.c_str())) << packed;
    ASSERT_TRUE(supplyEffectCompiler(*m_rig.renderer, archive));
    std::string source;
    ASSERT_TRUE(readStreamText(archive, kMaterialShaderFile, source));
    EXPECT_EQ(source, materialShaderSource()) << "the archive packs the shaders of the source tree";
    ASSERT_EQ(passes().size(), 4u);
    for (ShaderPass* pass : passes())
        EXPECT_NE(pass->m_compiler, nullptr);
}

TEST_F(EffectSourceTest, WithoutTheFileTheShaderPassesGetNothing)
{
    ASSERT_TRUE(m_rig.start(64, 64, false));
    MemoryFileSystem files;
    EXPECT_FALSE(supplyEffectCompiler(*m_rig.renderer, files));
    for (ShaderPass* pass : passes())
        EXPECT_EQ(pass->m_compiler, nullptr);
}

TEST_F(EffectSourceTest, FixedFunctionPassesNeedNoShaders)
{
    ASSERT_TRUE(m_rig.start(64, 64, true));
    MemoryFileSystem files;
    const std::string source = materialShaderSource();
    files.addFile(kMaterialShaderFile, reinterpret_cast<const uint8_t*>(source.data()), source.size());
    EXPECT_TRUE(supplyEffectCompiler(*m_rig.renderer, files));
    for (ShaderPass* pass : passes())
        EXPECT_EQ(pass->m_compiler, nullptr);
}

} // namespace
