#pragma once
// The 91 entry points of the audio library, in the order they are looked up.

// The list keeps its hand-made layout: one row of names per line.
// clang-format off
#define QUILLON_BASS_ENTRY_POINTS(X)                                                                               \
    X(BASS_SetConfig) X(BASS_GetConfig) X(BASS_GetVersion) X(BASS_GetDeviceDescription) X(BASS_ErrorGetCode)       \
    X(BASS_Init) X(BASS_SetDevice) X(BASS_GetDevice) X(BASS_Free) X(BASS_GetDSoundObject) X(BASS_GetInfo)           \
    X(BASS_Update) X(BASS_GetCPU) X(BASS_Start) X(BASS_Stop) X(BASS_Pause) X(BASS_SetVolume) X(BASS_GetVolume)     \
    X(BASS_Set3DFactors) X(BASS_Get3DFactors) X(BASS_Set3DPosition) X(BASS_Get3DPosition) X(BASS_Apply3D)          \
    X(BASS_SetEAXParameters) X(BASS_GetEAXParameters) X(BASS_MusicLoad) X(BASS_MusicFree) X(BASS_MusicGetName)      \
    X(BASS_MusicGetLength) X(BASS_MusicSetAttribute) X(BASS_MusicGetAttribute) X(BASS_SampleLoad)                   \
    X(BASS_SampleCreate) X(BASS_SampleCreateDone) X(BASS_SampleFree) X(BASS_SampleGetInfo) X(BASS_SampleSetInfo)    \
    X(BASS_SampleGetChannel) X(BASS_SampleStop) X(BASS_StreamCreate) X(BASS_StreamCreateFile)                       \
    X(BASS_StreamCreateURL) X(BASS_StreamCreateFileUser) X(BASS_StreamFree) X(BASS_StreamGetLength)                 \
    X(BASS_StreamGetTags) X(BASS_StreamGetFilePosition) X(BASS_RecordGetDeviceDescription) X(BASS_RecordInit)       \
    X(BASS_RecordSetDevice) X(BASS_RecordGetDevice) X(BASS_RecordFree) X(BASS_RecordGetInfo)                        \
    X(BASS_RecordGetInputName) X(BASS_RecordSetInput) X(BASS_RecordGetInput) X(BASS_RecordStart)                   \
    X(BASS_ChannelBytes2Seconds) X(BASS_ChannelSeconds2Bytes) X(BASS_ChannelGetDevice) X(BASS_ChannelIsActive)      \
    X(BASS_ChannelGetInfo) X(BASS_ChannelSetFlags) X(BASS_ChannelPreBuf) X(BASS_ChannelPlay) X(BASS_ChannelStop)    \
    X(BASS_ChannelPause) X(BASS_ChannelSetAttributes) X(BASS_ChannelGetAttributes) X(BASS_ChannelSlideAttributes)   \
    X(BASS_ChannelIsSliding) X(BASS_ChannelSet3DAttributes) X(BASS_ChannelGet3DAttributes)                          \
    X(BASS_ChannelSet3DPosition) X(BASS_ChannelGet3DPosition) X(BASS_ChannelSetPosition)                            \
    X(BASS_ChannelGetPosition) X(BASS_ChannelGetLevel) X(BASS_ChannelGetData) X(BASS_ChannelSetSync)                \
    X(BASS_ChannelRemoveSync) X(BASS_ChannelSetDSP) X(BASS_ChannelRemoveDSP) X(BASS_ChannelSetEAXMix)               \
    X(BASS_ChannelGetEAXMix) X(BASS_ChannelSetLink) X(BASS_ChannelRemoveLink) X(BASS_ChannelSetFX)                  \
    X(BASS_ChannelRemoveFX) X(BASS_FXSetParameters) X(BASS_FXGetParameters)

// Entry points the library adds beyond those 91, looked up after them and just as required.
#define QUILLON_BASS_EXTENSION_ENTRY_POINTS(X) X(BASS_ChannelSetTempo) X(BASS_ChannelGetTempo)
// clang-format on
