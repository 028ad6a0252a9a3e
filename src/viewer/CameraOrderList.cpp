#include "viewer/CameraOrderList.h"

#include <algorithm>

CameraOrderList::CameraOrderList(std::vector<Line> given) : given_(std::move(given))
{
    Reset();
}

void CameraOrderList::Reset()
{
    lines_ = given_;
    selected_ = lines_.empty() ? -1 : 0;
}

void CameraOrderList::MoveUp()
{
    const int n = static_cast<int>(lines_.size());
    if (selected_ < 0 || selected_ >= n) return;
    const auto at = lines_.begin() + selected_;
    if (selected_ == 0) {
        std::rotate(lines_.begin(), lines_.begin() + 1, lines_.end());
        selected_ = n - 1;
    } else {
        std::iter_swap(at, at - 1);
        --selected_;
    }
}

void CameraOrderList::MoveDown()
{
    const int n = static_cast<int>(lines_.size());
    if (selected_ < 0 || selected_ >= n) return;
    const auto at = lines_.begin() + selected_;
    if (selected_ == n - 1) {
        std::rotate(lines_.begin(), lines_.end() - 1, lines_.end());
        selected_ = 0;
    } else {
        std::iter_swap(at, at + 1);
        ++selected_;
    }
}

void CameraOrderList::Select(int row)
{
    selected_ = row >= 0 && row < static_cast<int>(lines_.size()) ? row : -1;
}

std::vector<CVideoPlayer*> CameraOrderList::Players() const
{
    std::vector<CVideoPlayer*> players;
    players.reserve(lines_.size());
    for (const Line& line : lines_) players.push_back(line.player);
    return players;
}
