// vdl: the decoding library of Plomera (libvdl.so).
//
// C-style interface: every call takes a port (a 32-bit decoder handle handed out by
// VDL_AcquirePort) and returns non-zero on success unless its comment says otherwise. After a
// failure VDL_GetLastError(port) gives the error code (VDL_ERR_*) and VDL_GetErrorText its text.
// Calls on a port that was never acquired or is already released fail with VDL_ERR_BAD_PORT.
//
// Threads. The VDL_* calls may come from any one thread at a time per port (the player calls them
// from its GUI thread). Each port decodes on a thread of its own and, playing forward, decodes
// a few frames ahead that a second thread of its own converts and presents when they are due. Callbacks
// (render surface, index ready, watermark) run on the library's threads and must return quickly.
// Inside a callback never call a VDL_* function and never wait on the thread that calls VDL_*:
// VDL_SetSurface, VDL_Stop and VDL_ReleasePort wait until the port's threads have left the
// callback, so such a wait would deadlock.
//
// Time. "Played time" counts from the first video frame of the selected stream (not from the
// container's zero). "Wall clock" = origin + played time, where origin is the container's
// creation_time, or, when the stream has none, the value given with VDL_SetWallClockOrigin (the
// file tag's start time). Packed times and VDL_GetFrameClock give local calendar fields (process
// time zone), like the tag's texts.
#ifndef PLOMERA_VDL_H
#define PLOMERA_VDL_H

#include <stdint.h>

#if defined(__GNUC__)
#define VDL_API __attribute__((visibility("default")))
#else
#define VDL_API
#endif

// Ports are numbered 1 to VDL_MAX_PORTS; 0 and negative numbers are never ports.
#define VDL_MAX_PORTS 64

// ---------------------------------------------------------------------------------------------
// Error codes. VDL_GetLastError returns one of these; VDL_GetErrorText gives its text.
enum VDL_Error {
    VDL_ERR_NONE = 0,
    VDL_ERR_BAD_PORT = 1,          // port never acquired, released, or out of range
    VDL_ERR_NO_FREE_PORT = 2,      // every port is in use
    VDL_ERR_BAD_ARGUMENT = 3,      // null pointer, value out of range
    VDL_ERR_NOT_OPEN = 4,          // the call needs an open file
    VDL_ERR_ALREADY_OPEN = 5,      // the call is only allowed before VDL_OpenFile
    VDL_ERR_FILE_OPEN = 6,         // the file cannot be opened or is not a stream FFmpeg knows
    VDL_ERR_NO_STREAM = 7,         // no video stream, or the selected stream does not exist
    VDL_ERR_DECODER = 8,           // no decoder for the stream's codec, or it failed to open
    VDL_ERR_KEY_MISSING = 9,       // the stream is encrypted and no key was set
    VDL_ERR_KEY_WRONG = 10,        // the key set does not match the stream's key check
    VDL_ERR_BUFFER_TOO_SMALL = 11, // VDL_GetBmp: *used tells the size needed
    VDL_ERR_NO_PICTURE = 12,       // no frame has been presented yet
    VDL_ERR_NOT_SUPPORTED = 13,    // the call is not available in this build
    VDL_ERR_WRONG_STATE = 14,      // the port is not in a state that allows the call
    VDL_ERR_SPEED_LIMIT = 15,      // VDL_Faster at 16x or VDL_Slower at 1/16x
    VDL_ERR_SEEK = 16,             // no frame there: the stream ends before it, or nothing there decodes
    VDL_ERR_TIMEOUT = 17,          // the port's thread did not answer in time
    VDL_ERR_READ = 18,             // reading the stream region failed (I/O error, file cut while open)
    VDL_ERR_FOLLOW = 19,           // VDL_FollowPort: bad leader (itself, a follower, not open)
    VDL_ERR_BAD_SUBPORT = 20,      // dewarp: no such view open on the port
    VDL_ERR_BAD_PLACEMENT = 21,    // dewarp: placement other than 1 to 3
    VDL_ERR_BAD_MODE = 22,         // dewarp: view mode other than 0, 0x100, 0x200, 0x300, 0x400
    VDL_ERR_COUNT_ = 23
};

// ---------------------------------------------------------------------------------------------
// Packed time (file times, frame time, watermark): year = bits 26-31 + 2000, month = bits 22-25,
// day = bits 17-21, hour = bits 12-16, minute = bits 6-11, second = bits 0-5.
static inline uint32_t VDL_PackTime(int year, int month, int day, int hour, int minute, int second)
{
    return ((uint32_t)(year - 2000) & 0x3Fu) << 26 | ((uint32_t)month & 0x0Fu) << 22
        | ((uint32_t)day & 0x1Fu) << 17 | ((uint32_t)hour & 0x1Fu) << 12
        | ((uint32_t)minute & 0x3Fu) << 6 | ((uint32_t)second & 0x3Fu);
}
static inline int VDL_PackedYear(uint32_t p) { return (int)(p >> 26) + 2000; }
static inline int VDL_PackedMonth(uint32_t p) { return (int)((p >> 22) & 0x0Fu); }
static inline int VDL_PackedDay(uint32_t p) { return (int)((p >> 17) & 0x1Fu); }
static inline int VDL_PackedHour(uint32_t p) { return (int)((p >> 12) & 0x1Fu); }
static inline int VDL_PackedMinute(uint32_t p) { return (int)((p >> 6) & 0x3Fu); }
static inline int VDL_PackedSecond(uint32_t p) { return (int)(p & 0x3Fu); }

// Calendar time of a frame, local time, with milliseconds (VDL_GetFrameClock).
struct VDL_Clock {
    int32_t year, month, day, hour, minute, second, ms;
};

// ---------------------------------------------------------------------------------------------
// Render surface: the "window" of VDL_Play. The library hands it every presented frame.
struct VDL_Picture {
    const uint8_t* pixels;  // RGB32 as QImage::Format_RGB32 lays it out (bytes B, G, R, 0xFF)
    int32_t width;
    int32_t height;
    int32_t stride;         // bytes per row
    int64_t frameIndex;     // 0 = the stream's first frame
    int64_t playedMillis;   // played time of this frame
    int64_t wallClockMillis; // milliseconds since 1970-01-01 UTC
    double frameRate;       // the stream's nominal frame rate
    int32_t sourceWidth;    // the frame's own size
    int32_t sourceHeight;
    int32_t viewX;          // the rectangle of the frame these pixels show (VDL_SetSurfaceView;
    int32_t viewY;          // the whole frame when no view is set), scaled to width x height
    int32_t viewWidth;
    int32_t viewHeight;
};

// The surface: a struct of callbacks with a user pointer, as the library's other callbacks are.
// The library copies the struct when it is attached (VDL_Play, VDL_SetSurface); user must stay
// valid until the surface is detached (VDL_SetSurface with another surface or null, VDL_Stop,
// VDL_ReleasePort).
//
// present(user, picture) runs on a thread of the port, never two calls at a time for one port.
// The picture and its pixels are valid only during the call: copy what is needed and schedule a
// repaint. Never block inside it (no waiting on the thread that calls VDL_*, such as the GUI
// thread) and never call VDL_* from it: VDL_SetSurface, VDL_Stop and VDL_ReleasePort wait until
// a call in progress has returned, so either would deadlock.
typedef struct VDL_Surface {
    void* user;
    void (*present)(void* user, const struct VDL_Picture* picture);
} VDL_Surface;

// ---------------------------------------------------------------------------------------------
// Watermark. A stream carries one watermark record about every second, inside the H.264 stream
// as an SEI message "user data unregistered" (payload type 5) whose 16-byte UUID is
// VDL_WATERMARK_UUID, followed by this 36-byte record (integers big-endian):
//   offset 0   1  version, 1
//   offset 1   4  recording time, packed as above
//   offset 5   4  device serial number, signed
//   offset 9   6  MAC address, bytes in order
//   offset 15  1  channel number
//   offset 16  4  sequence number, counting from 0
//   offset 20 16  seal: HMAC-SHA-256 cut to its first 16 bytes, keyed with the 16 bytes of the
//                 stream key (the one set with VDL_SetStreamKey, else the player's fixed stream
//                 key "qa_halyards_5062"), over offsets 0..19 of the record followed by the coded
//                 frame bytes since the previous record.
// "Coded frame bytes since the previous record": for each video packet of the stream, starting
// with the packet that carried the previous record and ending with the packet before the one that
// carries this record, each NAL unit as a 4-byte big-endian length and its bytes (escaped as in
// the stream, without start code or length prefix). The first record of a stream seals only its
// own 20 bytes. The record is inserted as its own NAL unit (type 6) before the packet's first
// NAL unit. The library checks every record from the file's open on; the callback receives the
// records read after it was installed. A seek starts the chain anew: the first record after it
// is taken as the new start, unchecked and unreported.
#define VDL_WATERMARK_UUID                                                                         \
    { 0x6b, 0x73, 0x74, 0x72, 0x2d, 0x77, 0x6d, 0x6b, 0x8f, 0x41, 0x0c, 0x3e, 0x95, 0xd2, 0x27, 0x5a }
#define VDL_WATERMARK_RECORD_SIZE 36

// Played seconds without a record after which the watermark counts as missing: the live
// MISSING report and the port's status (VDL_GetWatermarkStatus) use the same threshold.
#define VDL_WATERMARK_GAP_SECONDS 2

enum VDL_WatermarkStatus {
    VDL_WATERMARK_INTACT = 1,  // the seal held
    VDL_WATERMARK_BROKEN = 0,  // the record failed (fault says why)
    VDL_WATERMARK_MISSING = 2  // more than VDL_WATERMARK_GAP_SECONDS of frames passed without a
                               // record after one was seen
};

// Why a BROKEN record failed.
enum VDL_WatermarkFault {
    VDL_WATERMARK_FAULT_NONE = 0,
    VDL_WATERMARK_FAULT_SEAL = 1,     // the seal did not match the record and the frames it covers
    VDL_WATERMARK_FAULT_IDENTITY = 2, // serial number, MAC or channel differ from the first record
    VDL_WATERMARK_FAULT_TIME = 3      // the record's time is more than 1 s from its frame's
};

// What the watermark callback receives (through a pointer to a pointer). Offsets 0 to 16 are
// fixed by the player; the rest is ours.
struct VDL_WatermarkReport {
    uint32_t packedTime;    // 0
    int32_t serialNumber;   // 4
    uint8_t mac[6];         // 8
    uint8_t reserved[2];    // 14
    uint8_t channel;        // 16
    uint8_t status;         // 17, VDL_WatermarkStatus
    uint8_t fault;          // 18, VDL_WatermarkFault
    uint8_t reserved2;      // 19
    uint32_t sequence;      // 20
    int64_t playedMillis;   // 24, played time of the frame that carried the record
};

// What the checks of one stream found so far (VDL_GetWatermarkStatus, VDL_ScanWatermark).
enum VDL_WatermarkState {
    VDL_WATERMARK_STATE_NOT_CHECKED = 0, // no record read and no stretch over the threshold yet
    VDL_WATERMARK_STATE_VERIFIED = 1,    // records read, none failed, none missing
    VDL_WATERMARK_STATE_MISSING = 2,     // more than VDL_WATERMARK_GAP_SECONDS played without a
                                         // record (from the start, or between two records)
    VDL_WATERMARK_STATE_BROKEN = 3       // a record failed; outranks missing
};

struct VDL_WatermarkStatusBlock {
    int32_t state;               // VDL_WatermarkState
    uint32_t recordsSeen;        // records read (a stretch played again is read again)
    uint32_t recordsFailed;
    uint32_t firstFailureTime;   // packed time of the first failed record's frame (its own time
                                 // when the frame's is unknown); 0 none
    int64_t firstFailureMillis;  // played time of that frame; -1 none
    int64_t longestGapMillis;    // longest stretch played without a record
    int64_t gapFromMillis;       // played times that stretch runs between
    int64_t gapToMillis;
    uint32_t gapFromTime;        // the same as packed times (0 when the frame's time is unknown)
    uint32_t gapToTime;
    int32_t serialNumber;        // of the first record, when haveFirstRecord
    uint8_t mac[6];
    uint8_t channel;
    uint8_t haveFirstRecord;
};

typedef void (*VDL_IndexReadyCallback)(int32_t port, void* user);
typedef void (*VDL_WatermarkCallback)(int32_t port, const struct VDL_WatermarkReport** report,
                                      void* user);
typedef void (*VDL_LogCallback)(int32_t level, const char* text, void* user); // 0 error, 1 info

// Stream facts (VDL_GetStreamInfo).
struct VDL_StreamInfo {
    double frameRate;
    int32_t width;
    int32_t height;
    char codecName[32];
    int32_t hasAudio;
    int32_t encrypted;
    int32_t videoStreamCount;  // cameras in the file
    int32_t selectedStream;    // index among the video streams
    int64_t durationMillis;    // played time of the last frame (after the index is built: exact)
    int64_t frameCount;        // 0 until the index is built
    int64_t wallClockOriginMillis; // UTC ms of played time 0
    int32_t indexReady;
};

// Counters (VDL_GetStats), since the file was opened.
struct VDL_Stats {
    int64_t framesDecoded;
    int64_t framesPresented;
    int64_t framesDropped;     // decoded for their due time but not shown because they were late
    int64_t bytesRead;         // from the stream region
    int64_t seeks;
    int64_t decodedFramesHeld; // frames held now (forward queue and backward cache)
    int64_t decodedBytesHeld;
    int64_t lateMillisMax;     // the latest a frame was presented after its due time
    int64_t framesOnTime;      // presented within one frame period of their due time by the port's clock
};

// The frame on screen: the frame last handed to the surface (or the one a step or seek landed on).
// A port without a surface decodes nothing: then these describe its clock's position.
struct VDL_FrameInfo {
    int64_t frameIndex;
    int64_t playedMillis;
    int64_t wallClockMillis;
    uint32_t packedTime;
    struct VDL_Clock clock;
};

#ifdef __cplusplus
extern "C" {
#endif

// --- Calls of the player's list --------------------------------------------------------------
VDL_API int32_t VDL_AcquirePort(int32_t* port);
VDL_API int32_t VDL_ReleasePort(int32_t port);
VDL_API int32_t VDL_SetIndexReadyCallback(int32_t port, VDL_IndexReadyCallback callback, void* user);
// mode 1: key is 16 bytes of 8-bit text; keyBits must be 128.
VDL_API int32_t VDL_SetStreamKey(int32_t port, int32_t mode, const char* key, int32_t keyBits);
// Opens the file's stream region: everything before the tag's sections and the tag (found from
// the trailer ending in "TAG"), cut further to the container's own end for Matroska and MP4, or
// the end given with VDL_SetStreamRegion. The library never reads past that end.
VDL_API int32_t VDL_OpenFile(int32_t port, const char* path);
VDL_API int32_t VDL_SyncToAudio(int32_t port, int32_t on);
// Packed start and stop (wall clock of the first and last frame); *durationSeconds may be null.
VDL_API int32_t VDL_GetFileTimeRange(int32_t port, uint32_t* start, uint32_t* stop,
                                     uint32_t* durationSeconds);
// Normal forward play at 1x. window: a const VDL_Surface* to attach (null keeps the current one).
VDL_API int32_t VDL_Play(int32_t port, void* window);
VDL_API int32_t VDL_Pause(int32_t port, int32_t pause); // 1 pause, 0 resume in the same direction
VDL_API int32_t VDL_Stop(int32_t port);                  // stops, back to the start, keeps the file
VDL_API int32_t VDL_Faster(int32_t port);                // speed x2, up to 16x
VDL_API int32_t VDL_Slower(int32_t port);                // speed /2, down to 1/16x
VDL_API int32_t VDL_PlayBackward(int32_t port);          // backward play at 1x
// Pause and show the next or the previous frame. At the first frame, and at the last of a whole
// stream, the step stays there; errors as for the seeks.
VDL_API int32_t VDL_StepForward(int32_t port);
VDL_API int32_t VDL_StepBackward(int32_t port);
// Land on the first frame at or after the target (the last frame past the stream's end, the first
// before its start). The play state (playing, paused, direction, speed) is kept. A target the
// stream's frames do not reach although its container says they go on (a stream cut short or
// damaged) fails with VDL_ERR_SEEK, or VDL_ERR_READ when the file could not be read; then the
// frame on screen and the played time stay as they were.
VDL_API int32_t VDL_SeekPlayedTime(int32_t port, int32_t milliseconds);
VDL_API int32_t VDL_SeekWallClock(int32_t port, int32_t year, int32_t month, int32_t day,
                                  int32_t hour, int32_t minute, int32_t second);
// For scrubbing: land on the keyframe at or before the wall-clock time (UTC ms) and show it at
// once, without decoding up to the target (about a fifth of an exact seek's cost on a GOP of 50).
// The frame's own time is what VDL_GetFrameInfo and the picture report afterwards. Beyond the
// end: the last keyframe; before the start: the first frame. The play state is kept, as with
// the exact seeks.
VDL_API int32_t VDL_SeekKeyframeWallClock(int32_t port, int64_t utcMillis);
// These two return the value, or -1 after a failure.
VDL_API int32_t VDL_GetPlayedSeconds(int32_t port);
VDL_API int32_t VDL_GetPlayedMillis(int32_t port);
// Returns the packed time of the frame on screen, 0 after a failure.
VDL_API uint32_t VDL_GetFrameTime(int32_t port);
VDL_API int32_t VDL_GetFrameClock(int32_t port, struct VDL_Clock* clock);
VDL_API int32_t VDL_SoundOn(int32_t port);
VDL_API int32_t VDL_SoundOff(int32_t port);
VDL_API int32_t VDL_SetVolume(int32_t port, int32_t volume); // 0 to 0xFFFF
VDL_API int32_t VDL_EnableOverlays(int32_t port, int32_t on);
VDL_API int32_t VDL_GetPictureSize(int32_t port, int32_t* width, int32_t* height);
// A complete BMP file image (14-byte file header, 40-byte info header, 32-bit bottom-up pixels)
// of the frame on screen. Fails with VDL_ERR_BUFFER_TOO_SMALL (and *used = size needed) when
// size is too small.
VDL_API int32_t VDL_GetBmp(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used);
// Installs (or, with a null callback, removes) the port's watermark callback; any thread. The
// callback runs on a thread of the port. Once this returns, the previous callback is not running
// and is never called again (a call in progress is waited for), so its user data may go; called
// from inside the callback it does not wait. The callback must not call other VDL_* functions.
VDL_API int32_t VDL_SetWatermarkCallback(int32_t port, VDL_WatermarkCallback callback, void* user);
// The port's watermark status since its file was opened, from the records read so far (the
// library checks them from the open on, whether or not a callback is installed). Any thread.
VDL_API int32_t VDL_GetWatermarkStatus(int32_t port, struct VDL_WatermarkStatusBlock* status);
// Runs the whole stream region of the file at path (the stream before the tag; video stream
// `stream` of the file, 0 the first) through the same checks as a port, reading packets without
// decoding them, and fills status. key (keyBits 128) is the stream key, null for none: it opens an
// encrypted stream and seals the records, as VDL_SetStreamKey. originUtcSeconds is the wall-clock
// time of played time 0 when the container has no creation time (the tag's start); 0 when unknown,
// and then record times are not compared. Each failed record and each MISSING report goes to
// onFailure (may be null) on the calling thread, in stream order. Returns non-zero on success;
// errors as VDL_OpenFile (VDL_GetLastError(0)).
VDL_API int32_t VDL_ScanWatermark(const char* path, int32_t stream, const char* key, int32_t keyBits,
                                  int64_t originUtcSeconds, struct VDL_WatermarkStatusBlock* status,
                                  VDL_WatermarkCallback onFailure, void* user);

// Fisheye dewarping. A port decodes once and feeds every dewarp view ("sub-port", numbered from
// 1, at most VDL_DEWARP_MAX_VIEWS a port) from the same frame: each view has its own surface, gets
// the frame the port presents (same frameIndex and times as the port's own pictures) reprojected
// to its size, and is rendered on the port's threads. The lens is equidistant over 180 degrees,
// its circle centred in the frame with a radius of half the frame's height.
// Placements: 1 wall (axis level), 2 desktop (looking up), 3 ceiling (looking down).
// Modes: 0 the fisheye frame scaled; 0x100 PTZ, a rectilinear view centred on the ray of a frame
// point, field 120 - 100 * zoom degrees across; 0x200 and 0x300 panoramas of 180 and 360 degrees
// of azimuth (on a wall, and 0x400, one cylinder of 180 degrees across, +-60 degrees high).
// A view's size: VDL_SetSurfaceView(VDL_DEWARP_VIEW(port, subPort), 0, 0, 0, 0, width, height)
// (default: the frame's size for mode 0, 1280 x 720 otherwise). A view's surface counts as the
// port's surface: a port with views but no surface of its own still decodes.
// Tables are rebuilt on the port's threads only when a view's parameters, size or the frame's size
// change; a change while paused shows the frame on screen again.
#define VDL_DEWARP_MAX_VIEWS 16
#define VDL_DEWARP_VIEW(port, subPort) ((int32_t)(port) | (int32_t)((uint32_t)(subPort) << 16))

enum VDL_DewarpMode {
    VDL_DEWARP_FISHEYE = 0,
    VDL_DEWARP_PTZ = 0x100,
    VDL_DEWARP_PANORAMA_180 = 0x200,
    VDL_DEWARP_PANORAMA_360 = 0x300,
    VDL_DEWARP_WALL = 0x400
};

// Update kind bits of the parameter block (VDL_DewarpSetParams applies only these fields).
#define VDL_DEWARP_UPDATE_ZOOM 2
#define VDL_DEWARP_UPDATE_OFFSET 4
#define VDL_DEWARP_UPDATE_POSITION 8

// The 104-byte parameter block, packed.
#pragma pack(push, 1)
struct VDL_DewarpParams {
    int32_t updateKind;    // 0: VDL_DEWARP_UPDATE_* bits
    int32_t placementMode; // 4: placement | view mode (mode in bits 8-31); ignored by SetParams
    float x;               // 8: PTZ position, fraction of the frame's width
    float y;               // 12: fraction of its height
    float circle[4];       // 16: the circle's centre x, y and radius across, down, as frame fractions;
                           //     ignored by SetParams
    float zoom;            // 32: 0 to 1
    float offset;          // 36: wide-scan offset in radians; a larger offset turns the panorama right
    uint8_t reserved[64];  // 40: zero
};
#pragma pack(pop)
#ifdef __cplusplus
static_assert(sizeof(struct VDL_DewarpParams) == 104, "the dewarp parameter block is 104 bytes");
#else
_Static_assert(sizeof(struct VDL_DewarpParams) == 104, "the dewarp parameter block is 104 bytes");
#endif

// Dewarping on; views may be opened from then on.
VDL_API int32_t VDL_DewarpEnable(int32_t port);
// Dewarping off once no view of the port remains; while views remain it succeeds and changes
// nothing (closing one view's tile must not freeze the others).
VDL_API int32_t VDL_DewarpDisable(int32_t port);
// A new view (VDL_ERR_WRONG_STATE before VDL_DewarpEnable, VDL_ERR_NO_FREE_PORT past 16 views).
// A new PTZ looks at zoom 0.5 at (0.5, 0.5) on a wall, (0.5, 0.25) elsewhere.
VDL_API int32_t VDL_DewarpOpenView(int32_t port, int32_t* subPort, int32_t placement, int32_t viewMode);
// Returns once the library no longer calls the view's surface.
VDL_API int32_t VDL_DewarpCloseView(int32_t port, int32_t subPort);
// params: a struct VDL_DewarpParams; Get fills every field.
VDL_API int32_t VDL_DewarpGetParams(int32_t port, int32_t subPort, void* params);
VDL_API int32_t VDL_DewarpSetParams(int32_t port, int32_t subPort, const void* params);
// window: a const VDL_Surface* (copied; null detaches). Returns once the old surface is no longer
// called.
VDL_API int32_t VDL_DewarpSetWindow(int32_t port, int32_t subPort, void* window);
// Outlines of every PTZ view drawn on this view: 0 none, 1 one colour, 2 a colour and number each.
VDL_API int32_t VDL_DewarpSetOutlineMode(int32_t port, int32_t subPort, int32_t mode);
// The PTZ view whose outline holds the point (fractions of the view's width and height) in the
// view subPort (when it is no PTZ view and shows outlines, else the last opened view that is no
// PTZ view), the last opened PTZ first. Returns the PTZ's sub-port, 0 when none holds it (and on
// errors: then VDL_GetLastError tells).
VDL_API int32_t VDL_DewarpViewAt(int32_t port, int32_t subPort, float x, float y);
// A drag in the view source from (x0, y0) to (x1, y1) (fractions of its width and height) moves
// the PTZ view target, now at position (x, y); *outX, *outY: its new position. With source =
// target the scene is grabbed: the ray under (x0, y0) comes under (x1, y1). From a fisheye or
// panorama view the PTZ follows the pointer. Positions stay inside the circle. Sets nothing: the
// caller stores the position with VDL_DewarpSetParams.
VDL_API int32_t VDL_DewarpMapDrag(int32_t port, int32_t target, int32_t source, float x, float y, float x0,
                                  float y0, float x1, float y1, float* outX, float* outY);

// The port's last error; for a port that is not acquired, the calling thread's last error.
// Returns the code itself (not a success flag).
VDL_API int32_t VDL_GetLastError(int32_t port);
// Static text of an error code; never null.
VDL_API const char* VDL_GetErrorText(int32_t code);

// --- Our own calls ---------------------------------------------------------------------------
// Attach another surface, or none (null), while the port plays. Returns once the library no
// longer calls the old surface. Without a surface the port keeps its clock and decodes nothing;
// attached again it shows the frame of its current time. A surface without present is refused
// (VDL_ERR_BAD_ARGUMENT).
VDL_API int32_t VDL_SetSurface(int32_t port, const VDL_Surface* surface);
// What the surface shows: the rectangle srcX, srcY, srcW x srcH of the frame, scaled to outW x
// outH. The port converts each frame straight to that size (on its own thread) from the
// next frame on; while paused it presents the frame on screen again at the new view, without
// decoding. srcW, srcH, outW and outH all 0: the whole frame at its own size (the default).
// A rectangle outside the frame or an output above 16384 is refused (VDL_ERR_BAD_ARGUMENT) and
// changes nothing. Pictures for VDL_GetBmp stay the whole frame at its own size. Returns
// without waiting for the port's thread.
VDL_API int32_t VDL_SetSurfaceView(int32_t port, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH,
                                   int32_t outW, int32_t outH);
// Before VDL_OpenFile: which video stream (camera) the port plays, 0 = the first. Default 0.
VDL_API int32_t VDL_SelectStream(int32_t port, int32_t index);
// Before VDL_OpenFile: the stream region ends at this absolute offset (<= 0: find it from the
// tag's trailer and the container).
VDL_API int32_t VDL_SetStreamRegion(int32_t port, int64_t endOffset);
// Wall-clock origin (UTC seconds) for streams without creation_time; any time, applies at once.
VDL_API int32_t VDL_SetWallClockOrigin(int32_t port, int64_t utcSeconds);
// The port presents the frame of the leader's current wall-clock time (leader -1: own clock
// again, at the position it was following). A follower's own transport calls fail with
// VDL_ERR_WRONG_STATE while it follows, except VDL_Stop, VDL_SetSurface and queries. After a
// seek or a start (play, resume, a speed from paused) a leader's clock waits until every follower
// shows the frame of its instant, at most 300 ms, so the group starts together.
VDL_API int32_t VDL_FollowPort(int32_t port, int32_t leader);
// A follower presents the frame of its leader's wall-clock time plus offsetMillis (either sign),
// so cameras recorded a little apart stay as far apart as they were. Default 0; kept across
// VDL_FollowPort calls. Any time, from any thread; applies from the follower's next frame.
VDL_API int32_t VDL_SetFollowOffset(int32_t port, int32_t offsetMillis);
VDL_API int32_t VDL_GetStreamInfo(int32_t port, struct VDL_StreamInfo* info);
VDL_API int32_t VDL_GetStats(int32_t port, struct VDL_Stats* stats);
VDL_API int32_t VDL_GetFrameInfo(int32_t port, struct VDL_FrameInfo* info);
// The BMP of VDL_GetBmp and the description of the same frame, taken together.
VDL_API int32_t VDL_GetBmpAndFrame(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used,
                                   struct VDL_FrameInfo* info);
// Decoder threads for this port (0 = the library chooses: one when several ports play).
VDL_API int32_t VDL_SetDecoderThreads(int32_t port, int32_t threads);
// Before VDL_OpenFile: where the port's clock takes its time from. nowMicros(user) returns a
// monotonic count of microseconds, from any of the port's threads; null: the steady clock (the
// default). A port on a source stepped by hand plays exactly as far as it is stepped, whatever
// the machine's speed (tests).
typedef int64_t (*VDL_TimeSource)(void* user);
VDL_API int32_t VDL_SetTimeSource(int32_t port, VDL_TimeSource nowMicros, void* user);
// Current speed as a signed factor times 16 (16 = 1x forward, -64 = 4x backward), 0 when paused.
VDL_API int32_t VDL_GetSpeed(int32_t port, int32_t* speedTimes16);
// One sink for the library's and FFmpeg's log lines (process-wide; null: FFmpeg errors to stderr).
VDL_API void VDL_SetLogCallback(VDL_LogCallback callback, void* user);

#ifdef __cplusplus
}
#endif

#endif
