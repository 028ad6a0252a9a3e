#pragma once

#include "events/CCoordinatorPlomeraView.h"
#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "RecordingViewer.h"
#include "tools/sample/SampleMaker.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// Sample evidence opened through the facade (and the real decoding library), with the events a
// pane raises delivered by a real coordinator to a recording stand-in for the viewer.
class NavigatorFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void TearDown() override
    {
        for (auto& opened : files) {
            VideoList list;
            for (auto& v : opened) list.push_back(v.get());
            facade.StopVideos(&list);
        }
    }

    static SampleEvidenceOptions Small()
    {
        SampleEvidenceOptions o;
        o.durationSeconds = 1;
        o.width = 160;
        o.height = 90;
        o.fps = 5;
        o.gop = 5;
        return o;
    }

    // The sample files written into folder (under the test's own folder), each opened.
    std::vector<std::vector<Video*>> Open(const QString& folder, const SampleEvidenceOptions& o)
    {
        std::vector<std::vector<Video*>> opened;
        for (const QString& path : SampleMaker::Make(dir.filePath(folder), o)) {
            files.push_back(facade.OpenVideoFile(path, QString()));
            std::vector<Video*> videos;
            for (auto& v : files.back()) videos.push_back(v.get());
            EXPECT_FALSE(videos.empty()) << path.toStdString();
            opened.push_back(videos);
        }
        return opened;
    }

    void Name(const void* address, const QString& name) { viewer.names[reinterpret_cast<quintptr>(address)] = name; }

    QTemporaryDir dir;
    FalFacade facade;
    std::vector<FalFacade::OwnedVideos> files;
    RecordingViewer viewer;
    CCoordinatorPlomeraView coordinator{&viewer};
};
