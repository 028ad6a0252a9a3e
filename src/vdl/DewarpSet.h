#pragma once

#include "DewarpGeometry.h"
#include "RemapTable.h"
#include "vdl/vdl.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct AVFrame;
struct SwsContext;

// The dewarp views of one port: their parameters and surfaces (set from the caller's thread) and
// their rendering (on whichever of the port's threads presents the port's frame, never two at a
// time). Every decoded frame the port presents goes through Render once, which reprojects it into
// each view that has a surface. Remap tables are built there, off the caller's thread, only when a
// view's key changes, and swapped in whole. Methods return VDL_ERR_*.
// Locks: m_renderMutex (held while views render) is taken before m_mutex (the views' settings,
// held briefly); neither is held while calling into the port.
class DewarpSet {
public:
    DewarpSet();
    ~DewarpSet();
    DewarpSet(const DewarpSet&) = delete;
    DewarpSet& operator=(const DewarpSet&) = delete;

    // The frame's size as the stream declares it (for parameters asked before the first frame).
    void SetFrameSize(int width, int height);

    int Enable();
    int Disable();
    int Open(int placement, int mode, int32_t* subPort);
    int Close(int subPort);          // returns once the view's surface is no longer called
    int GetParams(int subPort, VDL_DewarpParams* params) const;
    int SetParams(int subPort, const VDL_DewarpParams& params);
    int SetSurface(int subPort, const VDL_Surface* surface); // as Close
    int SetSize(int subPort, int width, int height);
    int SetOutlineMode(int subPort, int mode);
    int ViewAt(int subPort, double x, double y, int32_t* found) const;
    int MapDrag(int target, int source, double x, double y, double x0, double y0, double x1, double y1,
                double* outX, double* outY) const;

    // A view has a surface: the port decodes for it.
    bool HasSurfaces() const { return m_surfaces.load() > 0; }
    // Changes with every change a paused port shows again.
    uint64_t Serial() const { return m_serial.load(); }
    // Tables built so far (each view's first and every rebuild).
    int64_t TableBuilds() const { return m_builds.load(); }

    // The port presents frame with the description main: every view with a surface gets it.
    void Render(const AVFrame* frame, const VDL_Picture& main);

private:
    struct View {
        int subPort = 0;
        DewarpGeometry::Setup setup;
        VDL_Surface surface = {};
        int width = 0, height = 0; // 0: the default size
        int outline = 0;
    };
    // Rendering state of a view; only under m_renderMutex.
    struct Output {
        std::shared_ptr<const RemapTable> table;
        std::vector<uint8_t> y, u, v, bgra;
        SwsContext* sws = nullptr;
        int swsWidth = 0, swsHeight = 0, swsFormat = -1;
    };

    View* Find(int subPort);
    const View* Find(int subPort) const;
    void Changed() { m_serial.fetch_add(1); }
    void CountSurfaces(); // under m_mutex
    // The size a view renders at.
    static void SizeOf(const View& view, int frameWidth, int frameHeight, int* width, int* height);
    static DewarpGeometry GeometryOf(const View& view, int frameWidth, int frameHeight);
    static void DrawOutlines(const View& host, const std::vector<View>& views, int frameWidth, int frameHeight,
                             Output& out);
    static void FreeOutput(Output& out);

    mutable std::mutex m_renderMutex;
    std::map<int, Output> m_outputs;  // under m_renderMutex
    SwsContext* m_toPlanar = nullptr; // frames not in 4:2:0 planar, under m_renderMutex
    std::vector<uint8_t> m_planar;

    mutable std::mutex m_mutex;
    bool m_enabled = false;
    int m_frameWidth = 0, m_frameHeight = 0;
    std::vector<View> m_views; // in the order they were opened
    std::atomic<uint64_t> m_serial{0};
    std::atomic<int> m_surfaces{0};
    std::atomic<int64_t> m_builds{0};
};
