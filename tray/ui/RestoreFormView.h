// What the restore window shows, as every toolkit draws it: the rows of its tree and its list of
// kept copies, the preview, the fixed layout, and the view interface its presenter drives. No
// toolkit.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tray/util/DateTime.h"

namespace pellmar {

// One entry of the folder tree; nodes come parents first, the monitored folder as node 0.
struct RestoreTreeNode {
    std::string name;
    int parent = -1;
    bool folder = false;
};

struct RestoreCopyRow {
    std::string version;  // "2", or "copy" for a plain copy
    std::string date;
    std::string time;
    std::string size;
    std::string note;  // "current", "parked", both or neither
};

struct RestorePreview {
    enum class Kind { None, Text, Image };
    Kind kind = Kind::None;
    std::string text;       // the first bytes of a text, or why nothing is shown
    std::string imagePath;  // for an image: the kept copy, read by the view
};

// Thread contract: main thread only.
class RestoreFormView {
public:
    virtual ~RestoreFormView() = default;
    virtual void ShowMonitors(const std::vector<std::string>& folders, int selected) = 0;
    virtual void ShowTree(const std::vector<RestoreTreeNode>& nodes) = 0;
    virtual int SelectedNode() const = 0;  // -1 without a selection
    virtual void SelectNode(int node) = 0;
    // The newest copy first.
    virtual void ShowCopies(const std::vector<RestoreCopyRow>& rows) = 0;
    virtual int SelectedCopy() const = 0;
    virtual void SelectCopy(int row) = 0;
    virtual void ShowPreview(const RestorePreview& preview) = 0;
    virtual DateTime PointInTime() const = 0;
    virtual void SetPointInTime(DateTime at) = 0;
    virtual void SetPointInTimeEnabled(bool enabled) = 0;
    // "Restore" and "Restore to...".
    virtual void SetRestoreEnabled(bool enabled) = 0;
    // While a restore runs only "Cancel" is offered.
    virtual void SetRunning(bool running) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
};

struct RestoreColumn {
    const char* caption;
    int width;
};

inline constexpr std::array<RestoreColumn, 5> kRestoreColumns{{
    {"Version", 52}, {"Date", 76}, {"Time", 80}, {"Size", 66}, {"Note", 62}}};

// The client area and the controls' places, in pixels.
inline constexpr int kRestoreWidth = 640, kRestoreHeight = 444;
struct RestoreBox {
    int left, top, width, height;
};
inline constexpr RestoreBox kRestoreMonitorLabel{8, 12, 64, 16};
inline constexpr RestoreBox kRestoreMonitorChoice{80, 8, 552, 22};
inline constexpr RestoreBox kRestoreTree{8, 40, 260, 330};
inline constexpr RestoreBox kRestoreCopies{276, 40, 356, 150};
inline constexpr RestoreBox kRestoreAtLabel{276, 202, 84, 16};
inline constexpr RestoreBox kRestoreAt{364, 198, 168, 22};
inline constexpr RestoreBox kRestorePreviewGroup{276, 226, 356, 144};
inline constexpr RestoreBox kRestorePreview{8, 18, 340, 118};  // inside the group box
inline constexpr RestoreBox kRestoreStatus{8, 380, 624, 16};
inline constexpr RestoreBox kRestoreButton{8, 410, 75, 25};
inline constexpr RestoreBox kRestoreToButton{91, 410, 95, 25};
inline constexpr RestoreBox kRestoreCancelButton{194, 410, 75, 25};
inline constexpr RestoreBox kRestoreCloseButton{557, 410, 75, 25};

// How much of a text copy the preview shows.
inline constexpr std::size_t kRestorePreviewBytes = 4096;

}  // namespace pellmar
