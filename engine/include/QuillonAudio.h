/* The audio library's public interface: output and recording devices, streams decoded from files,
   memory or callbacks, tracker modules, and the channel operations (transport, position,
   attributes, levels, sample data, effect routines, syncs). Version 2.1 of the interface.

   Every function reports failure through its result (0, FALSE or -1) and leaves an error code for
   BASS_ErrorGetCode; a successful call leaves BASS_OK. Functions may be called from any thread but
   are meant for one control thread.

   Callbacks and their threads: file and stream procedures and effect routines are called on the
   library's decode thread (effect routines on whole update periods, before the block is played);
   syncs on the library's sync thread, as playback reaches them. Any of them may call the library
   back, with one exception: from within a channel's own file or stream procedure, or from an
   effect routine of a decoding channel while BASS_ChannelGetData decodes it, calls that need that
   channel's decoder (a seek, a restart, a free, tags, decoding) fail with BASS_ERROR_NOTAVAIL. No
   callback of a channel runs after the call that freed the channel (or removed the routine or
   sync) has returned. */

#ifndef QUILLON_AUDIO_H
#define QUILLON_AUDIO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int32_t BOOL;

typedef DWORD HMUSIC;
typedef DWORD HSAMPLE;
typedef DWORD HCHANNEL;
typedef DWORD HSTREAM;
typedef DWORD HRECORD;
typedef DWORD HSYNC;
typedef DWORD HDSP;
typedef DWORD HFX;

#define BASS_VERSION 0x00010002 /* 2.1: major in the low word, minor in the high word */

/* Error codes. */
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOPAUSE 16
#define BASS_ERROR_NOCHAN 18
#define BASS_ERROR_ILLTYPE 19
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_NO3D 21
#define BASS_ERROR_NOEAX 22
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_FREQ 25
#define BASS_ERROR_NOTFILE 27
#define BASS_ERROR_NOHW 29
#define BASS_ERROR_EMPTY 31
#define BASS_ERROR_NONET 32
#define BASS_ERROR_CREATE 33
#define BASS_ERROR_NOFX 34
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_DECODE 38
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN (-1)

/* Configuration options. */
#define BASS_CONFIG_BUFFER 0
#define BASS_CONFIG_UPDATEPERIOD 1
#define BASS_CONFIG_MAXVOL 3
#define BASS_CONFIG_GVOL_SAMPLE 4
#define BASS_CONFIG_GVOL_STREAM 5
#define BASS_CONFIG_GVOL_MUSIC 6
#define BASS_CONFIG_CURVE_VOL 7
#define BASS_CONFIG_CURVE_PAN 8
#define BASS_CONFIG_FLOATDSP 9

/* Sample and stream flags. */
#define BASS_SAMPLE_8BITS 1
#define BASS_SAMPLE_MONO 2
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_FLOAT 256
#define BASS_STREAM_DECODE 0x200000
#define BASS_STREAM_AUTOFREE 0x40000
#define BASS_MUSIC_RAMP 0x200
#define BASS_MUSIC_RAMPS 0x400
#define BASS_MUSIC_CALCLEN 0x8000
#define BASS_MUSIC_NOSAMPLE 0x100000

/* Channel states. */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

/* Slides, as reported by BASS_ChannelIsSliding. */
#define BASS_SLIDE_FREQ 1
#define BASS_SLIDE_VOL 2
#define BASS_SLIDE_PAN 4

/* Music attributes. */
#define BASS_MUSIC_ATTRIB_AMPLIFY 0
#define BASS_MUSIC_ATTRIB_PANSEP 1
#define BASS_MUSIC_ATTRIB_PSCALER 2
#define BASS_MUSIC_ATTRIB_BPM 3
#define BASS_MUSIC_ATTRIB_SPEED 4
#define BASS_MUSIC_ATTRIB_VOL_GLOBAL 5
#define BASS_MUSIC_ATTRIB_VOL_CHAN 0x100
#define BASS_MUSIC_ATTRIB_VOL_INST 0x200

/* A music position in seconds: this value OR the seconds in the low word. */
#define BASS_MUSIC_POSITION_SECONDS 0xFFFF0000u

/* BASS_ChannelGetData requests besides a byte count. */
#define BASS_DATA_AVAILABLE 0
#define BASS_DATA_FLOAT 0x40000000
#define BASS_DATA_FFT512 0x80000000
#define BASS_DATA_FFT1024 0x80000001
#define BASS_DATA_FFT2048 0x80000002

/* Syncs. */
#define BASS_SYNC_POS 0
#define BASS_SYNC_END 2
#define BASS_SYNC_ONETIME 0x80000000

/* Tags of BASS_StreamGetTags. */
#define BASS_TAG_ID3 0
#define BASS_TAG_ID3V2 1
#define BASS_TAG_OGG 2

/* BASS_StreamGetFilePosition modes. */
#define BASS_FILEPOS_DECODE 0
#define BASS_FILEPOS_DOWNLOAD 1
#define BASS_FILEPOS_END 2

/* A STREAMPROC result flag: the stream has ended. */
#define BASS_STREAMPROC_END 0x80000000

typedef struct {
    DWORD size;  /* size of this structure */
    DWORD flags; /* device capabilities */
    DWORD hwsize;
    DWORD hwfree;
    DWORD freesam;
    DWORD free3d;
    DWORD minrate;
    DWORD maxrate;
    BOOL eax;
    DWORD minbuf; /* recommended minimum buffer length, ms */
    DWORD dsver;
    DWORD latency; /* output latency, ms */
    DWORD initflags;
    DWORD speakers;
    DWORD freq; /* output rate */
} BASS_INFO;

typedef struct {
    DWORD size;
    DWORD flags;
    DWORD formats;
    DWORD inputs;
    BOOL singlein;
    DWORD freq;
} BASS_RECORDINFO;

typedef struct {
    DWORD freq; /* the channel's own sample rate */
    DWORD chans;
    DWORD flags;
    DWORD ctype; /* BASS_CTYPE_* */
} BASS_CHANNELINFO;

#define BASS_CTYPE_SAMPLE 1
#define BASS_CTYPE_RECORD 2
#define BASS_CTYPE_STREAM 0x10000
#define BASS_CTYPE_STREAM_WAV 0x10001
#define BASS_CTYPE_STREAM_MP1 0x10003
#define BASS_CTYPE_STREAM_MP2 0x10004
#define BASS_CTYPE_STREAM_MP3 0x10005
#define BASS_CTYPE_STREAM_OGG 0x10002
#define BASS_CTYPE_MUSIC_MOD 0x20000

typedef struct {
    DWORD freq, volume;
    int pan;
    DWORD flags, length, max, origres, chans, mingap, mode3d;
    float mindist, maxdist;
    DWORD iangle, oangle, outvol, vam, priority;
} BASS_SAMPLE;

typedef struct {
    float x, y, z;
} BASS_3DVECTOR;

/* Callbacks. The user value is handed back unchanged. */
typedef DWORD (*STREAMPROC)(HSTREAM handle, void* buffer, DWORD length, void* user);
typedef void (*DSPPROC)(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
typedef void (*SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, void* user);
typedef BOOL (*RECORDPROC)(HRECORD handle, const void* buffer, DWORD length, void* user);

/* File access for BASS_StreamCreateFileUser. */
typedef struct {
    void (*close)(void* user);
    QWORD (*length)(void* user);
    DWORD (*read)(void* buffer, DWORD length, void* user);
    BOOL (*seek)(QWORD offset, void* user);
} BASS_FILEPROCS;

/* Global */
DWORD BASS_SetConfig(DWORD option, DWORD value);
DWORD BASS_GetConfig(DWORD option);
DWORD BASS_GetVersion(void);
const char* BASS_GetDeviceDescription(DWORD device);
int BASS_ErrorGetCode(void);
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);
BOOL BASS_SetDevice(DWORD device);
DWORD BASS_GetDevice(void);
BOOL BASS_Free(void);
void* BASS_GetDSoundObject(DWORD object);
BOOL BASS_GetInfo(BASS_INFO* info);
BOOL BASS_Update(void);
float BASS_GetCPU(void);
BOOL BASS_Start(void);
BOOL BASS_Stop(void);
BOOL BASS_Pause(void);
BOOL BASS_SetVolume(DWORD volume);
DWORD BASS_GetVolume(void);

/* 3D and EAX: not available */
BOOL BASS_Set3DFactors(float distf, float rollf, float doppf);
BOOL BASS_Get3DFactors(float* distf, float* rollf, float* doppf);
BOOL BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                        const BASS_3DVECTOR* top);
BOOL BASS_Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front, BASS_3DVECTOR* top);
void BASS_Apply3D(void);
BOOL BASS_SetEAXParameters(int env, float vol, float decay, float damp);
BOOL BASS_GetEAXParameters(DWORD* env, float* vol, float* decay, float* damp);

/* Musics */
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags, DWORD freq);
BOOL BASS_MusicFree(HMUSIC handle);
const char* BASS_MusicGetName(HMUSIC handle);
QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
DWORD BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value);
DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib);

/* Samples: not available in this engine */
HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags);
void* BASS_SampleCreate(DWORD length, DWORD freq, DWORD max, DWORD flags);
HSAMPLE BASS_SampleCreateDone(void);
BOOL BASS_SampleFree(HSAMPLE handle);
BOOL BASS_SampleGetInfo(HSAMPLE handle, BASS_SAMPLE* info);
BOOL BASS_SampleSetInfo(HSAMPLE handle, const BASS_SAMPLE* info);
HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew);
BOOL BASS_SampleStop(HSAMPLE handle);

/* Streams */
HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user);
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, void* proc, void* user);
HSTREAM BASS_StreamCreateFileUser(BOOL buffered, DWORD flags, const BASS_FILEPROCS* procs, void* user);
BOOL BASS_StreamFree(HSTREAM handle);
QWORD BASS_StreamGetLength(HSTREAM handle);
const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags);
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);

/* Recording */
const char* BASS_RecordGetDeviceDescription(DWORD device);
BOOL BASS_RecordInit(int device);
BOOL BASS_RecordSetDevice(DWORD device);
DWORD BASS_RecordGetDevice(void);
BOOL BASS_RecordFree(void);
BOOL BASS_RecordGetInfo(BASS_RECORDINFO* info);
const char* BASS_RecordGetInputName(int input);
BOOL BASS_RecordSetInput(int input, DWORD setting);
DWORD BASS_RecordGetInput(int input);
HRECORD BASS_RecordStart(DWORD freq, DWORD flags, RECORDPROC proc, void* user);

/* Channels */
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
DWORD BASS_ChannelGetDevice(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
DWORD BASS_ChannelSetFlags(DWORD handle, DWORD flags);
BOOL BASS_ChannelPreBuf(DWORD handle);
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelStop(DWORD handle);
BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan);
/* A slide runs on the clock of the channel's playback: it advances only while the channel plays,
   so a slide set on a stopped or paused channel starts (or goes on) when the channel plays, and
   BASS_ChannelIsSliding reports it only then. */
BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time);
DWORD BASS_ChannelIsSliding(DWORD handle);
BOOL BASS_ChannelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle, int oangle,
                                 int outvol);
BOOL BASS_ChannelGet3DAttributes(DWORD handle, DWORD* mode, float* min, float* max, DWORD* iangle,
                                 DWORD* oangle, DWORD* outvol);
BOOL BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                               const BASS_3DVECTOR* vel);
BOOL BASS_ChannelGet3DPosition(DWORD handle, BASS_3DVECTOR* pos, BASS_3DVECTOR* orient, BASS_3DVECTOR* vel);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
QWORD BASS_ChannelGetPosition(DWORD handle);
DWORD BASS_ChannelGetLevel(DWORD handle);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC proc, void* user);
BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
HDSP BASS_ChannelSetDSP(DWORD handle, DSPPROC proc, void* user, int priority);
BOOL BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp);
BOOL BASS_ChannelSetEAXMix(DWORD handle, float mix);
BOOL BASS_ChannelGetEAXMix(DWORD handle, float* mix);
BOOL BASS_ChannelSetLink(DWORD handle, DWORD chan);
BOOL BASS_ChannelRemoveLink(DWORD handle, DWORD chan);
HFX BASS_ChannelSetFX(DWORD handle, DWORD type, int priority);
BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx);
BOOL BASS_FXSetParameters(HFX handle, const void* params);
BOOL BASS_FXGetParameters(HFX handle, void* params);

/* Practice speed, beyond the 91 entry points above (which keep their behaviour): plays a channel
   at `percent` of its song's own tempo, 25 to 400, with the pitch kept; 100 is the song as it is.
   The stretch runs in the mixer after decoding and resampling, so positions, syncs, levels and
   sample data stay in the song's own time: at 50 % the position advances 0.5 s per second heard.
   A change is heard at once (what the mixer holds is played again from the heard position).
   Fails with BASS_ERROR_ILLPARAM for a speed out of range, and for decoding channels, which have
   no playback to stretch (BASS_ERROR_NOTAVAIL). */
BOOL BASS_ChannelSetTempo(DWORD handle, float percent);
/* The channel's speed in percent, or -1 (BASS_ERROR_HANDLE) for an unknown handle. */
float BASS_ChannelGetTempo(DWORD handle);

#ifdef __cplusplus
}
#endif

#endif /* QUILLON_AUDIO_H */
