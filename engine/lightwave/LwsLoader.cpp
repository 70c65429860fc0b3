// The scene loader's passes: reading and tokenising the file, the header,
// the creation pass, the key pass loop, the value readers and the closing
// steps. The keys are in LwsKeys.cpp, the plug-in blocks in LwsPlugins.cpp.
#include "engine/lightwave/LwsLoader.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/LoadingScreen.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/Stream.h"
#include "engine/lightwave/LwsWords.h"
#include "engine/scene/Bone.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double DegreesToRadians = 0.017453292519943295;

bool isWord(std::string_view token, const char* word)
{
    return LwsTokens::equalsIgnoringCase(token, word);
}

bool startsObject(std::string_view token)
{
    return isWord(token, "LoadObjectLayer") || isWord(token, "AddNullObject");
}

// How many records of `tokensEach` tokens can still follow: a count read
// from the file never runs a loop longer than the file.
int32_t boundCount(int32_t count, const LwsTokens& tokens, int32_t tokensEach)
{
    const int32_t left = std::max(0, tokens.count() - tokens.cursor());
    return std::clamp(count, 0, left / tokensEach + 1);
}

} // namespace

LwsLoader::LwsLoader(Scene& scene, Stream* fileSystem, LoadingScreen* screen, float progressStart,
                     float progressSpan)
    : m_scene(scene), m_fileSystem(fileSystem), m_screen(screen), m_progressStart(progressStart),
      m_progressSpan(progressSpan)
{
}

LwsLoader::~LwsLoader() = default;

bool Scene::loadLWS(Stream* fileSystem, const std::string& fileName, LoadingScreen* screen, float progressStart,
                    float progressSpan)
{
    LwsLoader loader(*this, fileSystem, screen, progressStart, progressSpan);
    return loader.load(fileName);
}

MeshObject* Scene::findObjectByName(const std::string& name) const
{
    for (MeshObject* object : m_objects)
        if (object->m_name == name)
            return object;
    return nullptr;
}

bool LwsLoader::load(const std::string& fileName)
{
    if (!readFile(fileName) || !checkHeader())
        return false;
    takeBases();
    if (!createItems())
        return false;
    readKeys();
    finish();
    return true;
}

bool LwsLoader::readFile(const std::string& fileName)
{
    m_fileName = fileName;
    m_scene.m_name = fileName;
    std::unique_ptr<Stream> file = m_fileSystem ? m_fileSystem->clone() : nullptr;
    if (!file || !file->openRead(fileName.c_str())) {
        engineLog() << "File not found: " << fileName << '\n';
        return false;
    }
    std::vector<char> data(file->length);
    const uint32_t got = data.empty() ? 0 : file->read(data.data(), uint32_t(data.size()));
    file->close();
    if (got == 0)
        return false;
    m_tokens.tokenize(data.data(), got);
    return true;
}

void LwsLoader::setText(const std::string& fileName, const char* data, size_t size)
{
    m_fileName = fileName;
    m_scene.m_name = fileName;
    m_tokens.tokenize(data, size);
}

bool LwsLoader::checkHeader()
{
    m_tokens.setCursor(0);
    m_motionMixerPosition = 0;
    if (m_tokens.next() != "LWSC" || m_tokens.nextInt() != 3) {
        reportError("Invalid scene file (wrong version or file type)!");
        return false;
    }
    return true;
}

void LwsLoader::takeBases()
{
    m_objectBase = int32_t(m_scene.m_objects.size());
    m_lightBase = m_scene.lightCount();
    m_cameraBase = m_scene.cameraCount();
    m_start = 2;
    m_end = m_tokens.count();
    // A merge: the scene holds objects of an earlier file besides its root.
    // The file's scene-wide keys before its first object are then left
    // alone, and so is its last token.
    const bool merge = std::any_of(m_scene.m_objects.begin(), m_scene.m_objects.end(),
                                   [this](MeshObject* o) { return o != m_scene.m_root; });
    if (merge) {
        for (int32_t i = 0; i < m_tokens.count(); ++i) {
            if (startsObject(m_tokens.at(i))) {
                m_start = i;
                m_end = m_tokens.count() - 1;
                break;
            }
        }
    }
    for (int32_t i = 0; i < m_tokens.count(); ++i) {
        if (isWord(m_tokens.at(i), LwsWords::MotionMixer)) {
            m_motionMixerPosition = i + 1;
            break;
        }
    }
}

bool LwsLoader::createItems()
{
    const int32_t count = m_tokens.count();
    for (int32_t i = 0; i < count; ++i) {
        if (startsObject(m_tokens.at(i))) {
            // The object's range runs to the next object, light or camera.
            // Each geom or joint line in it makes one item of its own.
            bool made = false;
            for (++i; i < count; ++i) {
                const std::string_view t = m_tokens.at(i);
                if (startsObject(t) || isWord(t, "AddLight") || isWord(t, "AddCamera"))
                    break;
                if (isWord(t, LwsWords::OdeGeom)) {
                    m_scene.m_objects.push_back(new CollisionObject(&m_scene));
                    made = true;
                } else if (isWord(t, LwsWords::OdeJoint)) {
                    m_scene.m_objects.push_back(new OdeJointItem(&m_scene));
                    made = true;
                }
            }
            if (!made)
                m_scene.m_objects.push_back(new MeshObject(&m_scene));
            --i;
        }
        const std::string_view t = m_tokens.at(i);
        if (isWord(t, "AddLight"))
            m_scene.m_lights.push_back(new Light(&m_scene));
        else if (isWord(t, "CameraMotion"))
            m_scene.m_cameras.push_back(new Camera(&m_scene));
    }
    m_objectCount = int32_t(m_scene.m_objects.size());

    if (m_scene.cameraCount() == 0) {
        reportError("There must be at least one camera in the scene.");
        return false;
    }
    if (m_scene.lightCount() == 0) {
        auto* light = new Light(&m_scene);
        for (AnimatedValue& c : light->m_color)
            c.m_value = 1.0f;
        light->m_intensity.m_value = 1.0f;
        light->m_lightType = 1;
        m_scene.m_lights.push_back(light);
        m_scene.m_cameras.front()->addChild(light);
    }
    return true;
}

void LwsLoader::readKeys()
{
    m_objectIndex = m_objectBase - 1;
    m_lightIndex = m_lightBase - 1;
    m_cameraIndex = m_cameraBase - 1;
    m_boneIndex = -1;
    m_kind = KindNone;
    m_tokens.setCursor(m_start);
    const auto& table = keyTable();
    while (m_tokens.cursor() < m_end) {
        const std::string_view key = m_tokens.next();
        auto it = table.find(key);
        if (it != table.end())
            (this->*(it->second))();
    }
}

void LwsLoader::renderProgress()
{
    if (m_screen && m_objectCount > 0)
        m_screen->renderFrame(
            float(m_progressStart + double(m_progressSpan) * double(m_objectIndex) / double(m_objectCount)));
}

// ---------------------------------------------------------------------------
// Current items

MeshObject* LwsLoader::object() const
{
    if (m_objectIndex < m_objectBase || m_objectIndex >= int32_t(m_scene.m_objects.size()))
        return nullptr;
    return m_scene.m_objects[size_t(m_objectIndex)];
}

Light* LwsLoader::light() const
{
    if (m_lightIndex < m_lightBase || m_lightIndex >= m_scene.lightCount())
        return nullptr;
    SceneItem* item = m_scene.m_lights[size_t(m_lightIndex)];
    return item->m_itemType == ItemLight ? static_cast<Light*>(item) : nullptr;
}

Camera* LwsLoader::camera() const
{
    if (m_cameraIndex < m_cameraBase || m_cameraIndex >= m_scene.cameraCount())
        return nullptr;
    return m_scene.m_cameras[size_t(m_cameraIndex)];
}

Bone* LwsLoader::bone() const
{
    MeshObject* owner = object();
    if (!owner || m_boneIndex < 0 || m_boneIndex >= int32_t(owner->m_bones.size()))
        return nullptr;
    return owner->m_bones[size_t(m_boneIndex)];
}

SceneObject* LwsLoader::item() const
{
    switch (m_kind) {
    case KindObject:
        return object();
    case KindLight:
        return light();
    case KindCamera:
        return camera();
    case KindBone:
        return bone();
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Value readers

void LwsLoader::readAnimated(AnimatedValue& dest, bool degrees)
{
    if (LwsTokens::equalsIgnoringCase(m_tokens.peek(), LwsWords::EnvelopeValue))
        readInlineEnvelope(dest, degrees);
    else
        dest.m_value = float(m_tokens.nextFloat());
}

void LwsLoader::readInlineEnvelope(AnimatedValue& dest, bool degrees)
{
    // "(envelope)" "{" "Envelope" count, count key lines of ten tokens,
    // "Behaviors" pre post "}". The cursor ends behind the "}" whatever the
    // count, so that several inline values can follow one another.
    const double scale = degrees ? DegreesToRadians : 1.0;
    m_tokens.advance(3);
    const int32_t n = m_tokens.nextInt();
    if (n <= 1) {
        if (n == 1)
            dest.m_value = float(LwsTokens::toFloat(m_tokens.peek(1)) * scale);
        m_tokens.skipBlock();
        return;
    }
    auto envelope = std::make_unique<Envelope>();
    const int32_t keys = boundCount(n, m_tokens, 10);
    for (int32_t k = 0; k < keys; ++k) {
        const int32_t line = m_tokens.cursor();
        const float value = float(LwsTokens::toFloat(m_tokens.at(line + 1)) * scale);
        const float time = float(LwsTokens::toFloat(m_tokens.at(line + 2)));
        const int32_t span = LwsTokens::toInt(m_tokens.at(line + 3));
        const float p1 = float(LwsTokens::toFloat(m_tokens.at(line + 4)));
        const float p2 = float(LwsTokens::toFloat(m_tokens.at(line + 5)));
        const float p3 = float(LwsTokens::toFloat(m_tokens.at(line + 6)));
        if (span == ShapeTCB)
            envelope->addKeyTCB(time, p1, p2, p3, value);
        else if (span == ShapeLinear)
            envelope->addKeyLinear(time, value);
        else if (span == ShapeStepped)
            envelope->addKeyStepped(time, value);
        m_tokens.advance(10);
    }
    m_tokens.advance(1); // "Behaviors"
    envelope->preBehavior = m_tokens.nextInt();
    envelope->postBehavior = m_tokens.nextInt();
    dest.m_envelope = std::move(envelope);
    m_tokens.skipBlock();
}

std::unique_ptr<Envelope> LwsLoader::readEnvelopeBlock(bool degrees)
{
    // "{" "Envelope" count, the key lines, "Behaviors" pre post, maybe a
    // channel plug-in, "}". The cursor ends on the closing "}".
    const double scale = degrees ? DegreesToRadians : 1.0;
    auto envelope = std::make_unique<Envelope>();
    m_tokens.advance(2);
    const int32_t n = boundCount(m_tokens.nextInt(), m_tokens, 10);
    for (int32_t k = 0; k < n; ++k) {
        m_tokens.advance(1); // "Key"
        const float value = float(m_tokens.nextFloat() * scale);
        const float time = float(m_tokens.nextFloat());
        const int32_t span = m_tokens.nextInt();
        float p[6];
        for (float& v : p)
            v = float(m_tokens.nextFloat());
        switch (span) {
        case ShapeTCB:
            envelope->addKeyTCB(time, p[0], p[1], p[2], value);
            break;
        case ShapeHermite:
            envelope->addKeyHermite(time, p[3], p[4], value);
            break;
        case ShapeBezier:
            envelope->addKeyBezier(time, p[3], p[4], value);
            break;
        case ShapeLinear:
            envelope->addKeyLinear(time, value);
            break;
        case ShapeStepped:
            envelope->addKeyStepped(time, value);
            break;
        case ShapeBezier2D:
            envelope->addKeyBezier2(time, p[0], p[1], p[2], p[3], value);
            break;
        default:
            reportAssertion("0 && \"unsupported curvetype\"");
            break;
        }
    }
    m_tokens.advance(1); // "Behaviors"
    envelope->preBehavior = m_tokens.nextInt();
    envelope->postBehavior = m_tokens.nextInt();
    if (m_tokens.peek(1) == LwsWords::ChannelHandler) {
        m_tokens.advance(2);
        m_tokens.skipBlock();
    }
    return envelope;
}

void LwsLoader::readChannel(AnimatedValue& dest, bool degrees)
{
    const int32_t open = m_tokens.cursor();
    m_tokens.advance(2);
    const int32_t n = m_tokens.nextInt();
    if (n >= 2) {
        m_tokens.setCursor(open);
        dest.m_envelope = readEnvelopeBlock(degrees);
        m_tokens.advance(1);
        return;
    }
    if (n == 1)
        dest.m_value = float(LwsTokens::toFloat(m_tokens.peek(1)) * (degrees ? DegreesToRadians : 1.0));
    m_tokens.skipBlock();
}

void LwsLoader::readMotion(SceneObject* item)
{
    // Read whole even without an item, so the key pass stays in step.
    AnimatedValue scratch;
    m_tokens.advance(1); // "NumChannels"
    const int32_t n = boundCount(m_tokens.nextInt(), m_tokens, 2);
    for (int32_t i = 0; i < n && !m_tokens.atEnd(); ++i) {
        m_tokens.advance(1); // "Channel"
        const int32_t c = m_tokens.nextInt();
        if (c >= 0 && c < MotionChannelCount) {
            readChannel(item ? item->m_motion[c] : scratch, false);
        } else {
            if (m_tokens.peek() == LwsWords::Open)
                m_tokens.advance(1);
            m_tokens.skipBlock();
        }
    }
}

Texture* LwsLoader::readClip(bool load)
{
    if (m_tokens.nextBlockToken() != "Clip")
        return nullptr;
    Texture* texture = nullptr;
    while (!m_tokens.atEnd() && m_tokens.peek() != LwsWords::Close) {
        const std::string_view sub = m_tokens.nextBlockToken();
        if (sub == "Still") {
            std::string name(m_tokens.next());
            if (!load) {
                m_tokens.advance(1);
                continue;
            }
            if (name.size() >= 2 && name[1] == ':')
                name = name.substr(0, 2) + '/' + name.substr(2);
            const uint32_t flags = name.find("_nodxt") != std::string::npos ? 2u : 3u;
            SceneManager* manager = m_scene.m_manager;
            texture = manager ? manager->findTexture(name, flags) : nullptr;
            if (!texture && manager) {
                auto* file = new FileTexture(m_scene.m_renderer);
                file->m_flags = 3;
                manager->addTexture(file);
                file->load(m_fileSystem, name.c_str(), 1);
                file->m_flags = flags;
                texture = file;
            }
            m_tokens.advance(1);
        } else if (sub == "Sequence") {
            m_tokens.advance(9);
        } else if (sub == "Flags") {
            m_tokens.advance(1);
        } else if (sub == "Times") {
            m_tokens.advance(5);
        } else if (sub == "Negative") {
            m_tokens.advance(1);
        } else {
            m_tokens.skipBlock();
        }
    }
    m_tokens.advance(1);
    return texture;
}

// ---------------------------------------------------------------------------
// Ids and closing steps

SceneObject* LwsLoader::resolveItemId(uint32_t id) const
{
    auto entry = [](auto& list, int64_t base, int64_t index) -> SceneObject* {
        const int64_t at = base + index;
        return at >= base && at < int64_t(list.size()) ? list[size_t(at)] : nullptr;
    };
    if (id < 0x10000000u)
        return nullptr;
    if (id < 0x20000000u)
        return entry(m_scene.m_objects, m_objectBase, int64_t(id - 0x10000000u));
    if (id < 0x30000000u)
        return entry(m_scene.m_lights, m_lightBase, int64_t(id - 0x20000000u));
    if (id < 0x40000000u)
        return entry(m_scene.m_cameras, m_cameraBase, int64_t(id - 0x30000000u));
    if (id < 0x50000000u) {
        SceneObject* owner = entry(m_scene.m_objects, m_objectBase, int64_t(id & 0xFFFFu));
        if (!owner)
            return nullptr;
        auto* mesh = static_cast<MeshObject*>(owner);
        const size_t b = (id - 0x40000000u) >> 16;
        return b < mesh->m_bones.size() ? mesh->m_bones[b] : nullptr;
    }
    return nullptr;
}

void LwsLoader::finish()
{
    if (m_motionMixerPosition != 0) {
        m_tokens.setCursor(m_motionMixerPosition);
        readMotionMixer();
    }
    m_scene.m_currentCamera = m_scene.m_cameras.empty() ? nullptr : m_scene.m_cameras.front();
    resolveLinks();
    makeBodies();
    hangUnderFileRoot();
    m_pending.clear();
}

void LwsLoader::resolveLinks()
{
    // A link that would close a cycle is refused by addChild and
    // setParentBone; the item then keeps no parent and goes under the file
    // root like any other.
    auto parentAndTarget = [this](SceneObject* item) {
        auto it = m_pending.find(item);
        if (it == m_pending.end())
            return;
        const PendingIds& ids = it->second;
        if (ids.parent)
            if (SceneObject* parent = resolveItemId(ids.parent))
                parent->addChild(item);
        if (ids.target)
            item->m_target = resolveItemId(ids.target);
        if (ids.goal)
            item->m_goalObject = resolveItemId(ids.goal);
    };
    for (size_t i = size_t(m_lightBase); i < m_scene.m_lights.size(); ++i)
        parentAndTarget(m_scene.m_lights[i]);
    for (size_t i = size_t(m_cameraBase); i < m_scene.m_cameras.size(); ++i)
        parentAndTarget(m_scene.m_cameras[i]);
    for (size_t i = size_t(m_objectBase); i < m_scene.m_objects.size(); ++i) {
        MeshObject* object = m_scene.m_objects[i];
        parentAndTarget(object);
        auto it = m_pending.find(object);
        if (object->m_itemType == ItemOdeJoint && it != m_pending.end()) {
            auto* joint = static_cast<OdeJointItem*>(object);
            joint->m_object1 = resolveItemId(it->second.body1);
            joint->m_object2 = resolveItemId(it->second.body2);
        }
        if (object->firstLodMesh()) {
            for (Bone* bone : object->m_bones) {
                auto b = m_pending.find(bone);
                const PendingIds none;
                const PendingIds& ids = b == m_pending.end() ? none : b->second;
                SceneObject* parent = nullptr;
                if (ids.parentBone) {
                    SceneObject* found = resolveItemId(ids.parentBone);
                    if (found && found->m_itemType == ItemBone && bone->setParentBone(static_cast<Bone*>(found)))
                        parent = found;
                } else if (ids.parent) {
                    parent = resolveItemId(ids.parent);
                }
                if (!parent || !parent->addChild(bone))
                    object->addChild(bone);
                if (ids.goal)
                    bone->m_goalObject = resolveItemId(ids.goal);
                if (ids.target)
                    bone->m_target = resolveItemId(ids.target);
            }
        }
        if (it != m_pending.end()) {
            for (uint32_t id : it->second.excludedLights)
                if (SceneObject* excluded = resolveItemId(id))
                    object->m_excludedLights.push_back(excluded);
        }
    }
}

void LwsLoader::makeBodies()
{
    for (size_t i = size_t(m_objectBase); i < m_scene.m_objects.size(); ++i) {
        MeshObject* object = m_scene.m_objects[i];
        if (object->m_mass.mass != 0.0)
            object->SceneObject::createBody();
    }
}

void LwsLoader::hangUnderFileRoot()
{
    const size_t end = m_scene.m_objects.size();
    MeshObject* fileRoot = m_scene.addNullObject(m_fileName, m_scene.m_root);
    for (size_t i = size_t(m_objectBase); i < end; ++i)
        if (!m_scene.m_objects[i]->m_parent)
            fileRoot->addChild(m_scene.m_objects[i]);
    for (size_t i = size_t(m_cameraBase); i < m_scene.m_cameras.size(); ++i)
        if (!m_scene.m_cameras[i]->m_parent)
            fileRoot->addChild(m_scene.m_cameras[i]);
    for (size_t i = size_t(m_lightBase); i < m_scene.m_lights.size(); ++i)
        if (!m_scene.m_lights[i]->m_parent)
            fileRoot->addChild(m_scene.m_lights[i]);
}
