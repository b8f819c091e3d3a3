#include <gtest/gtest.h>
#include <windows.h>
// initguid.h first, so that oleacc.h defines the GUIDs the tests use.
#include <initguid.h>
// After initguid.h.
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32FormWindow.h"
#include "platform/win32/Win32ResourceIds.h"
#include "platform/win32/Win32Text.h"
#include "setup/SetupForm.h"
#include "support/NativePlatform.h"
#include "support/win32/Win32ProgramFixture.h"

namespace psion::testing {
namespace {

using platform::ControlRef;

std::string WindowText(HWND window) { return win32::FromWide(win32::WindowTextOf(window)); }

// What a screen reader hears of a control through Windows' accessibility layer.
struct Heard {
    bool found = false;
    std::string name;
    std::string description;
    std::string value;
    long role = 0;
};

std::string TakeText(BSTR text) {
    if (text == nullptr) return {};
    std::string narrow = win32::FromWide(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    return narrow;
}

Heard Hear(HWND control) {
    Heard heard;
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
        return heard;
    }
    heard.found = true;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (accessible->get_accName(self, &text) == S_OK) heard.name = TakeText(text);
    text = nullptr;
    if (accessible->get_accDescription(self, &text) == S_OK) heard.description = TakeText(text);
    text = nullptr;
    if (accessible->get_accValue(self, &text) == S_OK) heard.value = TakeText(text);
    VARIANT role{};
    if (accessible->get_accRole(self, &role) == S_OK && role.vt == VT_I4) heard.role = role.lVal;
    accessible->Release();
    return heard;
}

// Whether this system takes accessibility annotations (Wine answers "not implemented").
bool AnnotationsTaken() {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return false;
    }
    HWND scratch = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    const bool taken = SUCCEEDED(services->SetHwndPropStr(scratch, static_cast<DWORD>(OBJID_CLIENT),
                                                          CHILDID_SELF, PROPID_ACC_NAME, L"probe"));
    MSAAPROPID name = PROPID_ACC_NAME;
    services->ClearHwndProps(scratch, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    DestroyWindow(scratch);
    services->Release();
    return taken;
}

// Types into an edit control as a paste does, within the control's length limit.
void Paste(HWND edit, const std::string& text) {
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(win32::ToWide(text).c_str()));
}

class Win32WindowTest : public Win32ProgramTest {};

TEST_F(Win32WindowTest, BuildsTheMainWindowFromItsDescriptionAndLoadsIt) {
    win32::Win32FormWindow& window = ShowMainWindow();

    // Selecting the path list's entry at start-up ran the path choice.
    HWND paths = window.Control({"Combo1", -1});
    EXPECT_EQ(SendMessageW(paths, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(window.SelectedIndex({"Combo1", -1}), 1);
    EXPECT_EQ(shared_.SystemPath, AsSystemPath(temp_.Path()) + "\\program files (x86)");
    EXPECT_EQ(WindowText(window.Control({"lbltype", -1})), "MX Version");
    EXPECT_EQ(WindowText(window.Control({"lblComm", -1})), "COM1");

    // The focus starts on "Send Data to Psion".
    HWND send = window.Control({"Command1", 0});
    EXPECT_EQ(GetFocus(), send);
    EXPECT_EQ(WindowText(send), "Send Data to Psion");

    // Controls stand at their twips positions.
    const unsigned dpi = win32::DpiOf(window.Handle());
    RECT exitArea;
    GetWindowRect(window.Control({"exitbtn", -1}), &exitArea);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&exitArea), 2);
    EXPECT_EQ(exitArea.left, win32::TwipsToPixels(2172, dpi));
    EXPECT_EQ(exitArea.top, win32::TwipsToPixels(3756, dpi));
    EXPECT_EQ(exitArea.right - exitArea.left, win32::TwipsToPixels(804, dpi));
    RECT client;
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, win32::TwipsToPixels(5148, dpi));
}

TEST_F(Win32WindowTest, ForwardsTheControlsEventsToTheLogic) {
    win32::Win32FormWindow& window = ShowMainWindow();

    // Tab moves on in tab order, from Send to Receive.
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    win32::DispatchWindowMessage(tab);
    EXPECT_EQ(GetFocus(), window.Control({"Command1", 1}));

    // A click on the check box reaches its handler.
    SendMessageW(window.Control({"Check1", -1}), BM_CLICK, 0, 0);
    EXPECT_EQ(shared_.ShowCommandWindow, 1);

    // A user's choice in the path list refreshes the status panel.
    HWND paths = window.Control({"Combo1", -1});
    SendMessageW(paths, CB_SETCURSEL, 0, 0);
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(paths), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(paths));
    EXPECT_EQ(shared_.SystemPath, AsSystemPath(temp_.Path()) + "\\program files");
    EXPECT_EQ(WindowText(window.Control({"lbltype", -1})), "No files");

    // The Exit button closes the main window.
    SendMessageW(window.Control({"exitbtn", -1}), BM_CLICK, 0, 0);
    EXPECT_FALSE(window.IsOpen());
}

// The menu bar draws an entry the logic disabled in grey, a drop-down menu too.
TEST_F(Win32WindowTest, GreysTheMenuEntriesTheLogicDisables) {
    win32::Win32FormWindow window(logic_, win32::Win32FormWindow::Kind::Main);
    logic_.Load(window);
    HMENU bar = GetMenu(window.Handle());
    const auto greyed = [bar](UINT position) {
        return (GetMenuState(bar, position, MF_BYPOSITION) & MF_GRAYED) != 0;
    };

    window.SetEnabled({"mnufile", -1}, false);
    window.SetEnabled({"mnuSetup", -1}, false);
    EXPECT_TRUE(greyed(0));
    EXPECT_TRUE(greyed(1));
    EXPECT_FALSE(greyed(2));

    window.SetEnabled({"mnuSetup", -1}, true);
    EXPECT_FALSE(greyed(1));
}

TEST_F(Win32WindowTest, ContactUsRunsTheContactDialogModallyUntilItsExit) {
    win32::Win32FormWindow& window = ShowMainWindow();
    bool openerEnabledWhileDialogShown = true;
    std::string dialogName;

    // "Contact Us" is a top-level menu command; its handler returns once the dialog has closed.
    ASSERT_EQ(GetMenuItemCount(GetMenu(window.Handle())), 3);
    WhileDialogIsOpen(window, 2, [&](win32::Win32FormWindow& dialog) {
        openerEnabledWhileDialogShown = IsWindowEnabled(window.Handle()) != FALSE;
        dialogName = WindowText(dialog.Control({"Command1", -1}));
        SendMessageW(dialog.Control({"Command1", -1}), BM_CLICK, 0, 0);
    });

    EXPECT_EQ(dialogName, "Exit");
    EXPECT_FALSE(openerEnabledWhileDialogShown);
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    EXPECT_EQ(win32::Win32FormWindow::Topmost(), &window);
}

// A caption stands just before its field, where Windows looks for a field's
// name; the field is named as the form table says where Windows takes
// annotations, and never by what it holds.
TEST_F(Win32WindowTest, NamesEachFieldByItsCaptionAndNeverByTheSetupCode) {
    win32::Win32FormWindow& window = ShowMainWindow();
    const bool annotated = AnnotationsTaken();
    const std::pair<const char*, const char*> mainCaptions[] = {{"lbltype", "lbltype1"},
                                                                {"lbldest", "lblDest1"},
                                                                {"lblComm", "Label4"},
                                                                {"Combo1", "Label6"}};
    for (const auto& [field, caption] : mainCaptions) {
        EXPECT_EQ(GetWindow(window.Control({field, -1}), GW_HWNDPREV),
                  window.Control({caption, -1}))
            << field;
    }
    // A value label is named by its text and described by its caption.
    const Heard port = Hear(window.Control({"lblComm", -1}));
    ASSERT_TRUE(port.found) << "Windows gives no accessible object for a control";
    EXPECT_EQ(port.name, "COM1");
    if (annotated) {
        EXPECT_EQ(port.description, "Comm Port:");
        EXPECT_EQ(Hear(window.Control({"Combo1", -1})).name, "System Path");
    }

    const std::string code = "KMNPQRSTUKLM";
    std::vector<std::string> captionsBefore;
    std::vector<Heard> fields;
    std::vector<Heard> everything;
    std::vector<std::string> tabChain;
    long dialogRole = 0;
    WhileDialogIsOpen(window, 1, [&](win32::Win32FormWindow& dialog) {
        const char* const fieldNames[] = {"cboType", "cboDest", "cboPort", "Text1", "Text2"};
        for (const char* name : fieldNames) {
            HWND before = GetWindow(dialog.Control({name, -1}), GW_HWNDPREV);
            captionsBefore.push_back(WindowText(before));
        }
        Paste(dialog.Control({"Text1", -1}), code.substr(0, 5));
        Paste(dialog.Control({"Text2", -1}), code.substr(5));
        for (const char* name : fieldNames) fields.push_back(Hear(dialog.Control({name, -1})));
        for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            everything.push_back(Hear(child));
        }
        dialogRole = Hear(dialog.Handle()).role;

        // Captions moved before their fields take no focus: Tab keeps the table's order.
        ::SetFocus(dialog.Control({"cboType", -1}));
        for (int stop = 0; stop < 7; ++stop) {
            const int id = GetDlgCtrlID(GetFocus()) - 1000;
            tabChain.push_back(id >= 0 ? setup::SetupFormDescription().controls.at(id).id.name
                                       : std::string("?"));
            MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
            win32::DispatchWindowMessage(tab);
        }
        SendMessageW(dialog.Control({"Command2", -1}), BM_CLICK, 0, 0);
    });

    EXPECT_EQ(captionsBefore, (std::vector<std::string>{"Unit Type:", "Destination:",
                                                        "Serial Port:", "Setup Code:", "-"}));
    EXPECT_EQ(tabChain, (std::vector<std::string>{"cboType", "cboDest", "cboPort", "Text1", "Text2",
                                                  "Command1", "Command2"}));
    ASSERT_EQ(fields.size(), 5u);
    // What the code boxes hold is their value.
    EXPECT_EQ(fields[3].value, code.substr(0, 5));
    EXPECT_EQ(fields[4].value, code.substr(5));
    if (annotated) {
        EXPECT_EQ(fields[0].name, "Unit Type");
        EXPECT_EQ(fields[1].name, "Destination");
        EXPECT_EQ(fields[2].name, "Serial Port");
        EXPECT_EQ(fields[3].name, "Setup code, first part");
        EXPECT_EQ(fields[4].name, "Setup code, second part");
        EXPECT_EQ(dialogRole, ROLE_SYSTEM_DIALOG);
    } else {
        // Without annotations Windows names a text box after the caption before it.
        EXPECT_EQ(fields[3].name, "Setup Code:");
        EXPECT_EQ(fields[4].name, "-");
    }
    EXPECT_GE(everything.size(), 12u);
    for (const Heard& heard : everything) {
        for (const std::string& part : {code.substr(0, 5), code.substr(5)}) {
            EXPECT_EQ(heard.name.find(part), std::string::npos) << heard.name;
            EXPECT_EQ(heard.description.find(part), std::string::npos) << heard.description;
        }
    }
}

TEST_F(Win32WindowTest, CodeBoxesTakeTextOfAnyLength) {
    win32::Win32FormWindow& window = ShowMainWindow();
    std::string pasted;
    WhileDialogIsOpen(window, 1, [&](win32::Win32FormWindow& dialog) {
        Paste(dialog.Control({"Text1", -1}), std::string(40000, 'K'));
        pasted = dialog.Text({"Text1", -1});
        SendMessageW(dialog.Control({"Command2", -1}), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(pasted.size(), 40000u);
    EXPECT_EQ(pasted.find_first_not_of('K'), std::string::npos);
}

// True when the main window's closing posted the end of the message loop.
bool QuitPosted() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Windows asks before the user's session ends, then ends it or not.
TEST_F(Win32WindowTest, TheEndOfTheSessionClosesTheProgramAsExitDoes) {
    win32::Win32FormWindow& window = ShowMainWindow();

    EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(window.Handle(), WM_ENDSESSION, FALSE, 0);  // another program refused
    EXPECT_TRUE(window.IsOpen());
    EXPECT_FALSE(QuitPosted());

    SendMessageW(window.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(window.IsOpen());
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Win32WindowTest, TheEndOfTheSessionAlsoClosesAnOpenDialog) {
    win32::Win32FormWindow& window = ShowMainWindow();
    bool dialogClosed = false;
    WhileDialogIsOpen(window, 1, [&](win32::Win32FormWindow& dialog) {
        EXPECT_EQ(SendMessageW(dialog.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
        // Windows sends it to every top-level window; the dialog's alone ends nothing.
        SendMessageW(dialog.Handle(), WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(dialog.IsOpen());
        SendMessageW(window.Handle(), WM_ENDSESSION, TRUE, 0);
        dialogClosed = !dialog.IsOpen();
    });
    EXPECT_TRUE(dialogClosed);
    EXPECT_FALSE(window.IsOpen());
    EXPECT_TRUE(QuitPosted());
}

// The Windows version information and the icon of psion-interface.exe, as Explorer reads them.
TEST(Win32ProgramResources, CarryTheProjectVersionAndTheIconAtEachSize) {
    const std::wstring program = win32::ToWide(PSION_INTERFACE_EXE);
    DWORD unused = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(program.c_str(), &unused));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string fileVersion = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(fileVersion, PSION_PROJECT_VERSION);
    wchar_t* productVersion = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&productVersion), &length));
    EXPECT_EQ(win32::FromWide(productVersion), PSION_PROJECT_VERSION);

    // The icon group lists one image per size; a width of 0 stands for 256.
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(PSION_PROGRAM_ICON), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    const int count = directory[4] | directory[5] << 8;
    std::vector<int> widths;
    for (int entry = 0; entry < count; ++entry) {
        const int width = directory[6 + 14 * entry];
        widths.push_back(width == 0 ? 256 : width);
    }
    FreeLibrary(module);
    std::sort(widths.begin(), widths.end());
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48, 256}));
}

}  // namespace
}  // namespace psion::testing
