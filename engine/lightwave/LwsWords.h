#pragma once
// The words of our own scene-file blocks: the braces that open and close a
// block, the names that follow an opening brace, and the keys and servers
// of the engine's plug-ins. The scene loader and our scene writer (tools/lib)
// both use these, so what the writer emits is what the loader expects.
//
// A block is written "{ Name", its keys one per line, then "}". A plug-in
// is "Plugin <class> <index> <server>", its block, then "EndPlugin".
namespace LwsWords {

inline constexpr const char* Open = "{";
inline constexpr const char* Close = "}";
inline constexpr const char* Plugin = "Plugin";
inline constexpr const char* EndPlugin = "EndPlugin";
inline constexpr const char* PluginEnabled = "PluginEnabled";
inline constexpr const char* Envelope = "Envelope";
inline constexpr const char* EnvelopeValue = "(envelope)";
inline constexpr const char* Key = "Key";
inline constexpr const char* Behaviors = "Behaviors";
inline constexpr const char* ChannelHandler = "ChannelHandler";
inline constexpr const char* VariantParameter = "VariantParameter";

// Plug-in classes.
inline constexpr const char* ObjReplacementHandler = "ObjReplacementHandler";
inline constexpr const char* MasterHandler = "MasterHandler";
inline constexpr const char* DisplacementHandler = "DisplacementHandler";
inline constexpr const char* CustomObjHandler = "CustomObjHandler";
inline constexpr const char* VolumetricHandler = "VolumetricHandler";

// Servers and the names of their blocks.
inline constexpr const char* OdeMaster = "VantrelODEMaster";
inline constexpr const char* OdeBody = "VantrelODEBody";
inline constexpr const char* OdeGeom = "VantrelODEGeom";
inline constexpr const char* OdeJoint = "VantrelODEJoint";
inline constexpr const char* BodyBlock = "Body";
inline constexpr const char* GeomBlock = "Geom";
inline constexpr const char* JointBlock = "Joint";
inline constexpr const char* SpaceBlock = "Space";
inline constexpr const char* SurfaceBlock = "Surface";
// The space that sits in no other; every later space goes inside the first.
inline constexpr const char* DefaultSpace = "(default)";
inline constexpr const char* CollisionPlane = "Vantrel Collision Plane";
inline constexpr const char* ObjectCollision = "Vantrel Object Collision";
inline constexpr const char* CullingPlane = "VantrelCullingPlane";
inline constexpr const char* LevelOfDetail = "VantrelLOD";
inline constexpr const char* MorphMixer = "LW_MorphMixer";
inline constexpr const char* MotionMixer = "MotionMixer";
inline constexpr const char* Emitter = "FX_Emitter";
inline constexpr const char* Gravity = "FX_Gravity";
inline constexpr const char* Wind = "FX_Wind";
inline constexpr const char* Collision = "FX_Collision";
// The markers the positional particle lists check: a differing word there
// means LightWave wrote one more token.
inline constexpr const char* EmitterMarker = "p0";
inline constexpr const char* GravityMarker = "g0";
inline constexpr const char* CollisionMarker = "collision";

// A level-of-detail block: "Plugin ObjReplacementHandler <index> <server>",
// this version word, the number of levels, then a distance and an object
// file name per level.
inline constexpr const char* LevelOfDetailVersion = "1";

// A morph-mixer block: "{ MorphMixer Version 1", the group and link counts
// (0 each in our files), the morph count, then per morph "Morph <index>
// <name>", its envelope block and "EndMorph"; "}" closes it.
inline constexpr const char* MorphMixerBlock = "MorphMixer";
inline constexpr const char* MorphEntry = "Morph";
inline constexpr const char* MorphEntryEnd = "EndMorph";

// The four tokens that open a morph-mixer block: "{", the block name, the
// word "Version" and the version.
inline constexpr const char* MorphMixerVersion = "Version";
inline constexpr const char* MorphMixerVersionNumber = "1";

// The HyperVoxel block: "Plugin VolumetricHandler <index> <server>", then
// "{ HyperVoxelData" with its flags line and, per voxel, an object entry
// "{ HVObject" whose "HVFlags" line names the object and the voxel type,
// the voxel's parameter block "{ HVChannels" and its texture block
// "{ HVTextures" holding one "{ TextureBlock <name>" per layer; "}" closes
// the block, "EndPlugin" the plug-in.
inline constexpr const char* HyperVoxelServer = "HyperVoxelsFilter";
inline constexpr const char* HyperVoxelData = "HyperVoxelData";
inline constexpr const char* HVFlags = "HVFlags";
inline constexpr const char* HVObject = "HVObject";
inline constexpr const char* HVChannels = "HVChannels";
inline constexpr const char* HVTextures = "HVTextures";
inline constexpr const char* HVBlendingGroups = "HVBlendingGroups";
inline constexpr const char* HVClip = "HVClip";
inline constexpr const char* TextureBlock = "TextureBlock";
// A layer's "{ Texture <kind>" block holds its placement and image; only
// these kinds are read, any other is skipped whole.
inline constexpr const char* TextureSettings = "Texture";
inline constexpr const char* ProceduralKind = "Procedural";
inline constexpr const char* ImageMapKind = "ImageMap";
inline constexpr const char* GradientKind = "Gradient";
inline constexpr const char* TextureMapKind = "TextureMap";
// "{ Image { Clip { Still <file> } } }": the layer's image.
inline constexpr const char* ImageBlock = "Image";
inline constexpr const char* ClipBlock = "Clip";
inline constexpr const char* Still = "Still";
// The voxel types of an object entry.
inline constexpr int HyperVoxelSpritesType = 1;
inline constexpr int ParticleRendererType = 2;

} // namespace LwsWords
