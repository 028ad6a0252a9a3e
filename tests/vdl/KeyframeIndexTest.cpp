// The keyframe index reads packets without probing the decoder when the container's header names
// its streams (Matroska, MP4) and probes otherwise (MPEG-TS): either way it must list exactly the
// frames and keyframes a probed demuxer, as playing uses, reads from the same camera.
#include "KeyframeIndex.h"
#include "MediaSource.h"
#include "StreamRegion.h"
#include "VdlTestSupport.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

struct Listed {
    std::vector<int64_t> frames;
    std::vector<int64_t> keys;
};

// What a probed demuxer (videoOnly false, as the port plays) reads of the camera.
Listed Probed(const std::string& path, int64_t regionEnd, int camera)
{
    Listed listed;
    MediaSource source;
    EXPECT_EQ(source.Open(path, regionEnd, camera, std::string(), false), VDL_ERR_NONE);
    AVPacket* packet = av_packet_alloc();
    while (source.Read(packet) == 0) {
        if (packet->stream_index == source.VideoIndex()) {
            const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            listed.frames.push_back(pts);
            if (packet->flags & AV_PKT_FLAG_KEY)
                listed.keys.push_back(pts);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    std::sort(listed.frames.begin(), listed.frames.end());
    std::sort(listed.keys.begin(), listed.keys.end());
    return listed;
}

TEST(VdlKeyframeIndex, ListsWhatAProbedDemuxerReadsInEveryContainer)
{
    for (const char* container : {"matroska", "mp4", "mpegts"}) {
        SCOPED_TRACE(container);
        const QString file = SamplePath(QString("index-%1.video").arg(container), [&](SampleStreamOptions& o) {
            o.container = container;
            o.width = 160;
            o.height = 120;
            o.gop = 12;
            o.durationSeconds = 4;
            o.audio = true;
            o.cameraNames = {"Camera 1", "Camera 2"};
        });
        const std::string path = QFileInfo(file).absoluteFilePath().toStdString();
        const int64_t regionEnd = StreamRegion::FindEnd(path);
        ASSERT_GT(regionEnd, 0);
        for (int camera = 0; camera < 2; ++camera) {
            SCOPED_TRACE(camera);
            const Listed probed = Probed(path, regionEnd, camera);
            ASSERT_EQ(probed.frames.size(), 100u);
            KeyframeIndex index;
            std::atomic<bool> ready{false};
            index.Start(path, regionEnd, camera, std::string(), [&] { ready = true; });
            ASSERT_TRUE(WaitFor([&] { return ready.load(); }));
            EXPECT_EQ(index.Frames(), probed.frames);
            int64_t key = -1;
            for (size_t k = 0; k < probed.keys.size(); ++k) {
                // The keyframe at or before the frame after each keyframe is that keyframe.
                const auto after = std::upper_bound(probed.frames.begin(), probed.frames.end(), probed.keys[k]);
                ASSERT_NE(after, probed.frames.end()) << k;
                ASSERT_TRUE(index.KeyframeBefore(*after, false, &key));
                EXPECT_EQ(key, probed.keys[k]);
            }
        }
    }
}

} // namespace
