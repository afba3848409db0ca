#include "app/ui_description.h"

#include "app/texts.h"

namespace velloran {
namespace {

using platform::ControlKind;

const platform::Font kButtonFont{"Arial", true, 11.25};

}  // namespace

// Every property is listed; {} leaves the toolkit's default. Places and
// sizes are in twips; at 96 dots per inch the list is at (8, 8),
// 265 x 139 pixels, and the buttons at (280, 8) and (280, 80), 129 x 65 each.
// Command1 lies wholly below the client area, so the user never sees it, yet
// as first in the tab order it holds the focus when the window opens.
const platform::UiDescription kUiDescription{
    .app_title = texts::kAppTitle,
    .unexpected_error = texts::kUnexpectedError,
    .open_read_only = texts::kOpenReadOnly,
    .form1 =
        {
            .name = "Form1",
            .client_width = 6285,
            .client_height = 2340,
            .background = platform::kWhite,
            .command1 =
                {
                    .name = "Command1",
                    .kind = ControlKind::kCommandButton,
                    .place = {720, 2640, 615, 495},
                    .tab_index = 0,
                    .caption = texts::kCommand1Caption,
                    .tool_tip = {},
                    .font = {},
                    .background = {},
                    .picture = {},
                    .accessible_name = texts::kCommand1AccessibleName,
                    .accessible_description = texts::kCommand1AccessibleDescription,
                },
            .list1 =
                {
                    .name = "List1",
                    .kind = ControlKind::kListBox,
                    .place = {120, 120, 3975, 2085},
                    .tab_index = 1,
                    .caption = {},
                    .tool_tip = texts::kList1ToolTip,
                    .font = platform::Font{"Arial", false, 9},
                    .background = {},
                    .picture = {},
                    .accessible_name = texts::kList1AccessibleName,
                    .accessible_description = texts::kList1ToolTip,
                },
            .check1 =
                {
                    .name = "Check1",
                    .kind = ControlKind::kPictureButton,
                    .place = {4200, 120, 1935, 975},
                    .tab_index = 2,
                    .caption = {},
                    .tool_tip = {},
                    .font = kButtonFont,
                    .background = platform::kWhite,
                    .picture = "add_files",
                    .accessible_name = texts::kCheck1AccessibleName,
                    .accessible_description = texts::kCheck1AccessibleDescription,
                },
            .check2 =
                {
                    .name = "Check2",
                    .kind = ControlKind::kPictureButton,
                    .place = {4200, 1200, 1935, 975},
                    .tab_index = 3,
                    .caption = {},
                    .tool_tip = {},
                    .font = kButtonFont,
                    .background = platform::kWhite,
                    .picture = "remove_dupes",
                    .accessible_name = texts::kCheck2AccessibleName,
                    .accessible_description = texts::kCheck2AccessibleDescription,
                },
        },
    // At 96 dots per inch: 400 x 125 pixels; the path and the step on two
    // lines at (12, 12) and (12, 36), the bar at (12, 60), 376 x 18, and
    // Cancel at (313, 90), 75 x 23, the size of a dialog's button.
    .progress =
        {
            .name = "Progress",
            .client_width = 6000,
            .client_height = 1875,
            .path =
                {
                    .name = "Path",
                    .kind = ControlKind::kLabel,
                    .place = {180, 180, 5640, 240},
                    .tab_index = 1,
                    .caption = {},
                    .tool_tip = {},
                    .font = {},
                    .background = {},
                    .picture = {},
                    .accessible_name = {},
                    .accessible_description = texts::kProgressPathAccessibleDescription,
                },
            .step =
                {
                    .name = "Step",
                    .kind = ControlKind::kLabel,
                    .place = {180, 540, 5640, 240},
                    .tab_index = 2,
                    .caption = {},
                    .tool_tip = {},
                    .font = {},
                    .background = {},
                    .picture = {},
                    .accessible_name = {},
                    .accessible_description = texts::kProgressStepAccessibleDescription,
                },
            .bar =
                {
                    .name = "Bar",
                    .kind = ControlKind::kProgressBar,
                    .place = {180, 900, 5640, 270},
                    .tab_index = 3,
                    .caption = {},
                    .tool_tip = {},
                    .font = {},
                    .background = {},
                    .picture = {},
                    .accessible_name = texts::kProgressBarAccessibleName,
                    .accessible_description = {},
                },
            .cancel =
                {
                    .name = "Cancel",
                    .kind = ControlKind::kCommandButton,
                    .place = {4695, 1350, 1125, 345},
                    .tab_index = 0,
                    .caption = texts::kCancel,
                    .tool_tip = {},
                    .font = {},
                    .background = {},
                    .picture = {},
                    .accessible_name = {},
                    .accessible_description = texts::kCancelAccessibleDescription,
                },
            .reading = texts::kReading,
            .removing = texts::kRemovingRepeats,
            .writing = texts::kWriting,
        },
};

}  // namespace velloran
