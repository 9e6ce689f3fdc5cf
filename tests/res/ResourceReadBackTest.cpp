// The built Sivrel.exe's resources read back through the system's own resource calls: the menu,
// the dialog templates (from their RT_DIALOG bytes, since picture controls resize themselves once
// created), the icons, the bitmap sets and the busy animation.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

class ResourceReadBack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string exe = wintest::BinDir() + "Sivrel.exe";
    s_module = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() { ::FreeLibrary(s_module); }
  void SetUp() override { ASSERT_NE(s_module, nullptr) << "Sivrel.exe could not be loaded"; }

  static std::vector<std::uint8_t> Bytes(LPCSTR name, LPCSTR type) {
    HRSRC info = ::FindResourceA(s_module, name, type);
    if (!info) return {};
    HGLOBAL data = ::LoadResource(s_module, info);
    const auto* p = static_cast<const std::uint8_t*>(::LockResource(data));
    return std::vector<std::uint8_t>(p, p + ::SizeofResource(s_module, info));
  }

  static HMODULE s_module;
};
HMODULE ResourceReadBack::s_module = nullptr;

std::string MenuText(HMENU menu, UINT position) {
  char text[64] = "";
  ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(ResourceReadBack, TrayMenuHoldsItsFiveEntriesInOrder) {
  HMENU menu = ::LoadMenuA(s_module, MAKEINTRESOURCEA(IDR_TRAYMENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(::GetMenuItemCount(menu), 1);
  EXPECT_EQ(MenuText(menu, 0), "_POPUP_");
  HMENU popup = ::GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  struct Entry { const char* text; UINT id; bool separator; };
  const Entry expected[] = {{"Open", ID_TRAY_OPEN, false}, {"", 0, true},
                            {"Restart", ID_TRAY_RESTART, false}, {"About..", ID_TRAY_VERSION, false},
                            {"Exit", ID_TRAY_EXIT, false}};
  ASSERT_EQ(::GetMenuItemCount(popup), 5);
  for (UINT i = 0; i < 5; ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
    ASSERT_TRUE(::GetMenuItemInfoA(popup, i, TRUE, &mii));
    EXPECT_EQ((mii.fType & MFT_SEPARATOR) != 0, expected[i].separator) << i;
    if (!expected[i].separator) {
      EXPECT_EQ(MenuText(popup, i), expected[i].text);
      EXPECT_EQ(mii.wID, expected[i].id);
      EXPECT_EQ(mii.fState & (MFS_DISABLED | MFS_CHECKED | MFS_DEFAULT), 0u) << i;
    }
  }
  ::DestroyMenu(menu);
}

TEST_F(ResourceReadBack, NothingElseCarriesTheFrameResourceId) {
  // Start-up relies on their absence: an empty caption, no accelerators, no class icon.
  EXPECT_EQ(::FindResourceA(s_module, MAKEINTRESOURCEA(IDR_TRAYMENU), RT_GROUP_ICON), nullptr);
  EXPECT_EQ(::FindResourceA(s_module, MAKEINTRESOURCEA(IDR_TRAYMENU), RT_ACCELERATOR), nullptr);
  char text[16] = "x";
  EXPECT_EQ(::LoadStringA(s_module, IDR_TRAYMENU, text, sizeof text), 0);
}

TEST_F(ResourceReadBack, EveryIconHoldsSixThirtyTwoBitImages) {
  const int ids[] = {IDI_APP,
                     IDI_STATUS_RECORDING, IDI_STATUS_NOT_CONNECTED, IDI_STATUS_NOT_AUTHORIZED,
                     IDI_STATUS_MONITORED, IDI_STATUS_CONNECTED,
                     IDI_STATUS_RECORDING_LEGACY, IDI_STATUS_NOT_CONNECTED_LEGACY,
                     IDI_STATUS_NOT_AUTHORIZED_LEGACY, IDI_STATUS_MONITORED_LEGACY,
                     IDI_STATUS_CONNECTED_LEGACY};
#pragma pack(push, 2)
  struct GroupHeader { WORD reserved, type, count; };
  struct GroupEntry { BYTE width, height, colors, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
#pragma pack(pop)
  for (int id : ids) {
    const auto group = Bytes(MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(GroupHeader)) << id;
    GroupHeader header;
    std::memcpy(&header, group.data(), sizeof header);
    ASSERT_EQ(header.count, 6) << id;
    ASSERT_EQ(group.size(), sizeof header + 6 * sizeof(GroupEntry)) << id;
    std::vector<int> sizes;
    for (int i = 0; i < 6; ++i) {
      GroupEntry e;
      std::memcpy(&e, group.data() + sizeof header + i * sizeof e, sizeof e);
      sizes.push_back(e.width == 0 ? 256 : e.width);
      EXPECT_EQ(e.planes, 1) << id;
      EXPECT_EQ(e.bitCount, 32) << id;
    }
    EXPECT_EQ(sizes, (std::vector<int>{256, 128, 64, 48, 32, 16})) << id;
    for (int size : {16, 32, 48}) {
      HICON icon = static_cast<HICON>(::LoadImageA(s_module, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                   size, size, 0));
      EXPECT_NE(icon, nullptr) << id << " at " << size;
      ::DestroyIcon(icon);
    }
  }
}

// Nearest pixel, halves up: the other sets are 1.25, 1.5 and 2 times the 96-DPI size.
int Scaled(int pixels, int dpi) { return (2 * pixels * dpi + 96) / (2 * 96); }

TEST_F(ResourceReadBack, BitmapSetsHaveTheirSizesAtEveryDpi) {
  struct Picture { int ids[4]; int width, height; };
  const Picture pictures[] = {
      {{IDB_SKIN_96, IDB_SKIN_120, IDB_SKIN_144, IDB_SKIN_192}, 454, 190},
      {{IDB_TITLE_IDLE_96, IDB_TITLE_IDLE_120, IDB_TITLE_IDLE_144, IDB_TITLE_IDLE_192}, 234, 36},
      {{IDB_TITLE_RECORDING_96, IDB_TITLE_RECORDING_120, IDB_TITLE_RECORDING_144, IDB_TITLE_RECORDING_192}, 208, 23},
      {{IDB_TITLE_PAUSED_96, IDB_TITLE_PAUSED_120, IDB_TITLE_PAUSED_144, IDB_TITLE_PAUSED_192}, 154, 21},
      {{IDB_START_96, IDB_START_120, IDB_START_144, IDB_START_192}, 79, 29},
      {{IDB_SUBMIT_96, IDB_SUBMIT_120, IDB_SUBMIT_144, IDB_SUBMIT_192}, 79, 30},
      {{IDB_SUBMITTED_96, IDB_SUBMITTED_120, IDB_SUBMITTED_144, IDB_SUBMITTED_192}, 79, 29},
      {{IDB_PAUSE_96, IDB_PAUSE_120, IDB_PAUSE_144, IDB_PAUSE_192}, 23, 25},
      {{IDB_RESUME_96, IDB_RESUME_120, IDB_RESUME_144, IDB_RESUME_192}, 23, 25},
      {{IDB_CLOSE_96, IDB_CLOSE_120, IDB_CLOSE_144, IDB_CLOSE_192}, 21, 22},
      {{IDB_STOP_96, IDB_STOP_120, IDB_STOP_144, IDB_STOP_192}, 25, 25},
      {{IDB_WHAT_IS_THIS_96, IDB_WHAT_IS_THIS_120, IDB_WHAT_IS_THIS_144, IDB_WHAT_IS_THIS_192}, 65, 13},
      {{IDB_UPLOADING_96, IDB_UPLOADING_120, IDB_UPLOADING_144, IDB_UPLOADING_192}, 115, 30},
      {{IDB_UPLOADED_96, IDB_UPLOADED_120, IDB_UPLOADED_144, IDB_UPLOADED_192}, 105, 26},
  };
  const int dpis[4] = {96, 120, 144, 192};
  for (const Picture& p : pictures) {
    for (int i = 0; i < 4; ++i) {
      HBITMAP bmp = static_cast<HBITMAP>(::LoadImageA(s_module, MAKEINTRESOURCEA(p.ids[i]),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      ASSERT_NE(bmp, nullptr) << p.ids[i];
      DIBSECTION dib{};
      ASSERT_EQ(::GetObjectA(bmp, sizeof dib, &dib), static_cast<int>(sizeof dib)) << p.ids[i];
      EXPECT_EQ(dib.dsBm.bmWidth, Scaled(p.width, dpis[i])) << p.ids[i];
      EXPECT_EQ(dib.dsBm.bmHeight, Scaled(p.height, dpis[i])) << p.ids[i];
      EXPECT_EQ(dib.dsBmih.biBitCount, 24) << p.ids[i];
      EXPECT_EQ(dib.dsBmih.biSize, sizeof(BITMAPINFOHEADER)) << p.ids[i];
      ::DeleteObject(bmp);
    }
  }
}

TEST_F(ResourceReadBack, BusyAnimationIsAGif89aOfTypeGif) {
  const auto gif = Bytes(MAKEINTRESOURCEA(IDR_BUSY_GIF), "gif");  // matched case-insensitively
  ASSERT_GT(gif.size(), 13u + 192u);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  EXPECT_EQ(gif[6] | gif[7] << 8, 26);
  EXPECT_EQ(gif[8] | gif[9] << 8, 26);
  EXPECT_EQ(gif[10], 0xF5);
  EXPECT_EQ(gif.back(), 0x3B);
}

// Reads an extended dialog template (DLGTEMPLATEEX) far enough to compare it.
struct DialogTemplate {
  DWORD style = 0;
  short cx = 0, cy = 0;
  WORD pointSize = 0, weight = 0;
  std::wstring font;
  std::wstring caption;
  struct Control { int id; DWORD style; short x, y, cx, cy; };
  std::vector<Control> controls;
};

const std::uint8_t* SkipSzOrOrd(const std::uint8_t* p, std::wstring* text = nullptr) {
  WORD w;
  std::memcpy(&w, p, 2);
  if (w == 0xFFFF) return p + 4;
  for (;;) {
    std::memcpy(&w, p, 2);
    p += 2;
    if (!w) return p;
    if (text) *text += static_cast<wchar_t>(w);
  }
}

const std::uint8_t* AlignDword(const std::uint8_t* base, const std::uint8_t* p) {
  return base + ((p - base + 3) & ~static_cast<std::ptrdiff_t>(3));
}

DialogTemplate ParseDialogEx(const std::vector<std::uint8_t>& bytes) {
  DialogTemplate t;
  const std::uint8_t* base = bytes.data();
  const std::uint8_t* p = base;
  WORD version, signature, count;
  std::memcpy(&version, p, 2);
  std::memcpy(&signature, p + 2, 2);
  EXPECT_EQ(version, 1);
  EXPECT_EQ(signature, 0xFFFF);
  std::memcpy(&t.style, p + 12, 4);
  std::memcpy(&count, p + 16, 2);
  std::memcpy(&t.cx, p + 22, 2);
  std::memcpy(&t.cy, p + 24, 2);
  p += 26;
  p = SkipSzOrOrd(p);              // menu
  p = SkipSzOrOrd(p);              // class
  p = SkipSzOrOrd(p, &t.caption);  // title
  std::memcpy(&t.pointSize, p, 2);
  std::memcpy(&t.weight, p + 2, 2);
  p = SkipSzOrOrd(p + 6, &t.font);
  for (WORD i = 0; i < count; ++i) {
    p = AlignDword(base, p);
    DialogTemplate::Control c{};
    std::memcpy(&c.style, p + 8, 4);
    std::memcpy(&c.x, p + 12, 2);
    std::memcpy(&c.y, p + 14, 2);
    std::memcpy(&c.cx, p + 16, 2);
    std::memcpy(&c.cy, p + 18, 2);
    std::int32_t id;
    std::memcpy(&id, p + 20, 4);
    c.id = id;
    p = SkipSzOrOrd(p + 24);  // class
    p = SkipSzOrOrd(p);       // text
    WORD extra;
    std::memcpy(&extra, p, 2);
    p += 2 + extra;
    t.controls.push_back(c);
  }
  return t;
}

TEST_F(ResourceReadBack, CommentsTemplateHasItsStyleFontAndControls) {
  const DialogTemplate t = ParseDialogEx(Bytes(MAKEINTRESOURCEA(IDD_MAINDLG), RT_DIALOG));
  EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_SYSMENU | DS_SETFONT)) << "no caption, not visible";
  EXPECT_EQ(t.cx, 302);
  EXPECT_EQ(t.cy, 117);
  EXPECT_EQ(t.caption, L"");
  EXPECT_EQ(t.font, L"Microsoft Sans Serif");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.weight, 400);
  struct Expected { int id; short x, y, cx, cy; bool visible; };
  const Expected expected[] = {
      {-1, 60, 4, 15, 13, true},      {IDC_WHAT_IS_THIS, 175, 18, 41, 8, true},
      {IDC_COMMENT, 60, 33, 201, 55, false}, {IDC_START_SUBMIT, 60, 91, 47, 15, true},
      {IDC_STOP, 248, 91, 13, 14, false},    {IDC_BUSY, 118, 51, 21, 18, false},
      {IDC_CLOSE, 282, 5, 13, 12, true},     {IDC_PAUSE_RESUME, 225, 91, 13, 14, false},
      {IDC_UPLOADING, 142, 51, 77, 18, false}, {IDC_UPLOADED, 185, 91, 53, 13, false}};
  ASSERT_EQ(t.controls.size(), std::size(expected));
  for (size_t i = 0; i < t.controls.size(); ++i) {
    const auto& c = t.controls[i];
    const auto& e = expected[i];
    EXPECT_EQ(c.id, e.id) << i;
    EXPECT_EQ(c.x, e.x) << i;
    EXPECT_EQ(c.y, e.y) << i;
    EXPECT_EQ(c.cx, e.cx) << i;
    EXPECT_EQ(c.cy, e.cy) << i;
    EXPECT_EQ((c.style & WS_VISIBLE) != 0, e.visible) << i;
  }
  // The box scrolls down as the text grows: without that it would take no more characters once
  // its visible area were full, long before its limit.
  EXPECT_TRUE(t.controls[2].style & ES_MULTILINE);
  EXPECT_TRUE(t.controls[2].style & ES_AUTOVSCROLL);
  EXPECT_FALSE(t.controls[2].style & (ES_AUTOHSCROLL | ES_WANTRETURN));
}

TEST_F(ResourceReadBack, AboutTemplateHasItsStyleFontAndControls) {
  const DialogTemplate t = ParseDialogEx(Bytes(MAKEINTRESOURCEA(IDD_ABOUTBOX), RT_DIALOG));
  EXPECT_EQ(t.style, 0x80C800C8u);
  EXPECT_EQ(t.cx, 187);
  EXPECT_EQ(t.cy, 102);
  EXPECT_EQ(t.caption, L"About");
  EXPECT_EQ(t.font, L"MS Shell Dlg");
  EXPECT_EQ(t.pointSize, 8);
  ASSERT_EQ(t.controls.size(), 4u);
  EXPECT_EQ(t.controls[0].id, IDOK);
  EXPECT_EQ(t.controls[0].x, 130);
  EXPECT_EQ(t.controls[0].y, 81);
  EXPECT_TRUE(t.controls[0].style & BS_DEFPUSHBUTTON);
  EXPECT_EQ(t.controls[2].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
  EXPECT_EQ(t.controls[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
}

}  // namespace
