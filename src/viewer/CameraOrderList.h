#pragma once

#include <QString>
#include <vector>

class CVideoPlayer;

// The lines of the camera order dialog without a window: one line per player, in the order the
// viewer gave, with one line selected. Each line carries its player itself, not its camera
// number: two files (or a fisheye camera and its views) share camera numbers, and a lookup by
// number lost one tile and showed another twice.
class CameraOrderList {
public:
    struct Line {
        CVideoPlayer* player = nullptr;
        QString title;
    };

    explicit CameraOrderList(std::vector<Line> given);

    // Back to the given order, the first line selected.
    void Reset();
    // The selected line one place up; the first goes to the last place. It stays selected.
    void MoveUp();
    // The selected line one place down; the last goes to the first place. It stays selected.
    void MoveDown();
    // A row outside the list selects nothing.
    void Select(int row);

    int Selected() const { return selected_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The players in the order shown.
    std::vector<CVideoPlayer*> Players() const;

private:
    std::vector<Line> given_;
    std::vector<Line> lines_;
    int selected_ = -1;
};
