#include "Form3.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/messages.h"
#include "core/text.h"
#include "resources.h"

namespace setup::win32 {

namespace {

namespace form3 = layout::form3;

constexpr int kDrive1 = 301;
constexpr int kDir1 = 302;
constexpr int kFile1 = 303;
constexpr int kCommand1 = 304;
constexpr int kCommand2 = 305;

// How many lines the drive list shows when it drops down.
constexpr int kDropDownLines = 8;
// Space around a line's icon and text in Dir1, in pixels.
constexpr int kLineMargin = 2;

std::string currentFolder()
{
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length > folder.size()) {
        folder.resize(length);
        length = GetCurrentDirectoryW(length, folder.data());
    }
    folder.resize(length);
    return core::narrow(folder);
}

void addLine(HWND list, UINT message, const std::wstring& text)
{
    SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The text of the selected line of a list box, empty when none is selected.
std::string selectedText(HWND list)
{
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return core::narrow(text);
}

}  // namespace

HWND Form3::open(HWND owner, core::MessageBoxes& boxes, Accepted accepted)
{
    auto* form = new Form3(owner, boxes, std::move(accepted));
    ShowWindow(form->hwnd(), SW_SHOW);
    UpdateWindow(form->hwnd());
    return form->hwnd();
}

Form3::Form3(HWND owner, core::MessageBoxes& boxes, Accepted accepted)
    : boxes_(boxes), accepted_(std::move(accepted)), drives_(core::listDrives()),
      folderIconSize_(pixels(form3::kFolderIconSize)), openFolder_(loadIcon(RUK_ICON_FOLDER_OPEN, folderIconSize_)),
      closedFolder_(loadIcon(RUK_ICON_FOLDER_CLOSED, folderIconSize_))
{
    // A dialog frame owned by the wizard: no taskbar button of its own.
    create(L"RukForm3", form3::kForm, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, owner);
    createControls();

    // The three lists open on the current drive and folder.
    const std::string folder = currentFolder();
    selectDrive(core::driveOf(folder, drives_));
    dirPath_ = folder;
    if (const std::optional<core::FolderView> view = core::listFolder(folder, drives_))
        showFolder(*view);
    else
        showFiles(folder);
}

void Form3::createControls()
{
    addLabel(hwnd(), form3::Label1);
    Drive1_ = addControl(hwnd(), L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, form3::Drive1, kDrive1);
    // A drop-down list's window height is that of the list dropped down.
    RECT box;
    GetWindowRect(Drive1_, &box);
    SetWindowPos(Drive1_, nullptr, 0, 0, box.right - box.left, kDropDownLines * (box.bottom - box.top),
                 SWP_NOMOVE | SWP_NOZORDER);
    for (const core::Drive& drive : drives_)
        addLine(Drive1_, CB_ADDSTRING, core::widen(drive.name));

    const DWORD listStyle = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    // Dir1 draws its lines itself: an icon and the name, indented by depth.
    Dir1_ = addControl(hwnd(), L"LISTBOX", listStyle | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, WS_EX_CLIENTEDGE,
                       form3::Dir1, kDir1);
    File1_ = addControl(hwnd(), L"LISTBOX", listStyle, WS_EX_CLIENTEDGE, form3::File1, kFile1);
    addButton(hwnd(), form3::Command1, kCommand1);
    addButton(hwnd(), form3::Command2, kCommand2);
}

LRESULT Form3::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        followFocus(wParam, lParam);
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM:  // Dir1's lines, as Dir1 is made
        if (wParam == kDir1) {
            auto* line = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            line->itemHeight = static_cast<UINT>(std::max(lineHeightOf(form3::Dir1), folderIconSize_) + kLineMargin);
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (wParam == kDir1) {
            drawFolderLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    }
    return FormWindow::handle(message, wParam, lParam);
}

void Form3::command(int id, int notification)
{
    switch (id) {
    case kDrive1:
        if (notification == CBN_SELCHANGE)
            Drive1_Change();
        break;
    case kDir1:
        if (notification == LBN_DBLCLK)
            openSelectedFolder();
        break;
    case IDOK:  // Enter where no button has the focus: opens the folder in Dir1
        if (GetFocus() == Dir1_)
            openSelectedFolder();
        break;
    case kCommand1:
        if (notification == BN_CLICKED)
            Command1_Click();
        break;
    case kCommand2:
        if (notification == BN_CLICKED)
            DestroyWindow(hwnd());
        break;
    case IDCANCEL:  // Escape
        DestroyWindow(hwnd());
        break;
    }
}

void Form3::Drive1_Change()
{
    const LRESULT index = SendMessageW(Drive1_, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= drives_.size())
        return;
    const core::Drive& drive = drives_[static_cast<std::size_t>(index)];
    if (const std::optional<core::FolderView> view = core::listFolder(drive.root, drives_)) {
        showFolder(*view);
        return;
    }
    core::warn(boxes_, core::unreadableDrive(drive.name));
    selectDrive(core::driveOf(dirPath_, drives_));
}

void Form3::openSelectedFolder()
{
    const LRESULT index = SendMessageW(Dir1_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= folders_.size())
        return;
    const std::string path = folders_[static_cast<std::size_t>(index)].path;
    if (const std::optional<core::FolderView> view = core::listFolder(path, drives_))
        showFolder(*view);
    else
        core::warn(boxes_, core::unreadableFolder(path));
}

void Form3::Command1_Click()
{
    if (const std::optional<std::string> path = core::acceptSelection(filePath_, selectedText(File1_), boxes_)) {
        accepted_(*path);
        DestroyWindow(hwnd());
    }
}

void Form3::showFolder(const core::FolderView& view)
{
    SendMessageW(Dir1_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(Dir1_, LB_RESETCONTENT, 0, 0);
    folders_ = view.entries;
    int current = -1;
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        addLine(Dir1_, LB_ADDSTRING, core::widen(folders_[i].name));
        if (folders_[i].open)
            current = static_cast<int>(i);
    }
    SendMessageW(Dir1_, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageW(Dir1_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Dir1_, nullptr, TRUE);
    dirPath_ = view.path;
    showFiles(view.path);
}

void Form3::showFiles(const std::string& folder)
{
    filePath_ = folder;
    SendMessageW(File1_, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : core::matchingFiles(folder, core::kExecutable))
        addLine(File1_, LB_ADDSTRING, core::widen(name));
}

void Form3::selectDrive(std::size_t index)
{
    SendMessageW(Drive1_, CB_SETCURSEL, drives_.empty() ? static_cast<WPARAM>(-1) : index, 0);
}

void Form3::drawFolderLine(const DRAWITEMSTRUCT& line) const
{
    if (line.itemID >= folders_.size()) {  // an empty list with the focus
        if (line.itemState & ODS_FOCUS)
            DrawFocusRect(line.hDC, &line.rcItem);
        return;
    }
    const core::FolderEntry& folder = folders_[line.itemID];
    const bool selected = line.itemState & ODS_SELECTED;
    FillRect(line.hDC, &line.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int left = line.rcItem.left + kLineMargin + folder.depth * pixels(form3::kFolderIndent);
    const int top = (line.rcItem.top + line.rcItem.bottom - folderIconSize_) / 2;
    DrawIconEx(line.hDC, left, top, (folder.open ? openFolder_ : closedFolder_).get(), folderIconSize_, folderIconSize_,
               0, nullptr, DI_NORMAL);

    RECT text = line.rcItem;
    text.left = left + folderIconSize_ + 2 * kLineMargin;
    SetBkMode(line.hDC, TRANSPARENT);
    SetTextColor(line.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring name = core::widen(folder.name);
    DrawTextW(line.hDC, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (line.itemState & ODS_FOCUS)
        DrawFocusRect(line.hDC, &line.rcItem);
}

}  // namespace setup::win32
