// Checks the rendered skins against the places where the programs draw them: every picture a
// window asks for exists, lies on the window, meets its neighbours without overlapping them, and
// only exact magenta is transparent.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | b[at + size_t(i)];
    }
    return v;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(in ? size_t(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

// Reads the 24-bit bottom-up BMPs the generator writes; an empty bitmap when anything is off.
Bitmap Read(const std::string& module, const std::string& name) {
    const std::vector<uint8_t> b = ReadFile(std::string(ZOR_SKINS_DIR) + "/" + module + "/" + name + ".bmp");
    Bitmap bmp;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le(b, 28, 2) != 24 || Le(b, 30, 4) != 0) {
        return bmp;
    }
    const int w = int(Le(b, 18, 4)), h = int(Le(b, 22, 4));
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    const size_t offset = Le(b, 10, 4);
    if (w <= 0 || h <= 0 || b.size() < offset + stride * size_t(h)) {
        return bmp;
    }
    bmp.width = w;
    bmp.height = h;
    bmp.pixels.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const size_t row = offset + size_t(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const size_t p = row + size_t(x) * 3;
            bmp.pixels[size_t(y) * size_t(w) + size_t(x)] = uint32_t(b[p]) | uint32_t(b[p + 1]) << 8 | uint32_t(b[p + 2]) << 16;
        }
    }
    return bmp;
}

const Bitmap& Load(const std::string& module, const std::string& name) {
    static std::map<std::string, Bitmap> cache;
    const std::string key = module + "/" + name;
    auto it = cache.find(key);
    if (it == cache.end()) {
        it = cache.emplace(key, Read(module, name)).first;
    }
    return it->second;
}

std::vector<std::string> Series(const std::string& fmt, int from, int to) {
    std::vector<std::string> out;
    char name[40];
    for (int i = from; i <= to; ++i) {
        std::snprintf(name, sizeof name, fmt.c_str(), i);
        out.push_back(name);
    }
    return out;
}

std::vector<std::string> States(const std::string& prefix, std::vector<std::string> suffixes) {
    std::vector<std::string> out;
    for (const auto& s : suffixes) {
        out.push_back(prefix + s);
    }
    return out;
}

std::vector<std::string> MainNames() {
    std::vector<std::string> n = {"Main_on", "Main_off", "TOTALNUM_11", "PSN_11", "SINCE_10", "SINCE_11", "SINCE_12",
                                  "RESET_X", "OFF_nb", "OFF_NW", "OFF_OB", "OFF_OW", "OFF_DB", "OFF_DW", "ON_NB",
                                  "ON_NW", "ON_OB", "ON_OW", "ON_DB", "ON_DW", "LED_OFF", "LED_ON", "P3D_OFF_N",
                                  "P3D_ON_N"};
    for (const auto& group : {Series("CPU_ON_%d", 0, 10), Series("CPU_OFF_%d", 0, 10), Series("PSN_%d", 0, 10),
                              Series("TOTALNUM_%d", 0, 10), Series("SINCE_%d", 0, 9), Series("TOTAL_%d", 0, 9),
                              Series("PST_%d", 0, 4), Series("BAR_%d", 0, 6)}) {
        n.insert(n.end(), group.begin(), group.end());
    }
    for (const char* b : {"CLOSE", "MINI", "HELP", "UPDATE", "RESET"}) {
        for (const auto& s : States(b, {"_N", "_O", "_D"})) n.push_back(s);
    }
    for (const char* b : {"METER", "TOTAL", "L1", "L2", "L3", "L4"}) {
        for (const auto& s : States(b, {"_N", "_O", "_D", "_DIS"})) n.push_back(s);
    }
    return n;
}

std::vector<std::string> AdvancedNames() {
    std::vector<std::string> n = {"Main", "Main_X58", "Main_P55", "MAIN_P67", "RDO_On", "RDO_Off", "BBar"};
    for (const char* b : {"SAVE", "QUIT", "L", "R"}) {
        for (const auto& s : States(b, {"_N", "_O", "_D"})) n.push_back(s);
    }
    for (const char* b : {"LV1", "LV2", "LV3"}) {
        for (const auto& s : States(b, {"_N", "_O", "_D", "_dis"})) n.push_back(s);
    }
    return n;
}

std::vector<std::string> MessageNames() {
    std::vector<std::string> n = {"MSG_1",  "MSG_6",  "MSG_7",    "MSG_8",   "MSG_9",
                                  "MSG_12", "MSG_13", "MSG_SC_8", "MSG_SC_9"};
    for (const char* b : {"MSG_OK", "MSG_YES", "MSG_NO"}) {
        for (const auto& s : States(b, {"_N", "_O", "_D"})) n.push_back(s);
    }
    return n;
}

const std::map<std::string, std::vector<std::string>>& Modules() {
    static const std::map<std::string, std::vector<std::string>> m = {
        {"ENG", MainNames()},         {"SC", MainNames()},         {"TC", MainNames()},
        {"AdvEng", AdvancedNames()}, {"AdvSC", AdvancedNames()}, {"AdvTC", AdvancedNames()},
        {"res", MessageNames()}};
    return m;
}

struct Rect {
    int x, y, w, h;
    bool Overlaps(const Rect& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};

// A picture at a place: inside the window, and not over a transparent pixel of it.
::testing::AssertionResult OnWindow(const Bitmap& bg, const std::string& what, const Rect& r) {
    if (r.x < 0 || r.y < 0 || r.x + r.w > bg.width || r.y + r.h > bg.height) {
        return ::testing::AssertionFailure() << what << " leaves the window";
    }
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) {
            if (bg.At(x, y) == kMagenta) {
                return ::testing::AssertionFailure() << what << " lies over a transparent pixel at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The picture is exactly what the background shows at that place (no visible seam when the
// program draws it there).
::testing::AssertionResult Seamless(const Bitmap& bg, const Bitmap& img, const std::string& what, int x0, int y0) {
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            if (img.At(x, y) != bg.At(x0 + x, y0 + y)) {
                return ::testing::AssertionFailure() << what << " differs from the background at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

Rect Place(const std::string& module, const std::string& name, int x, int y) {
    const Bitmap b = Load(module, name);
    return {x, y, b.width, b.height};
}

TEST(Skins, EveryNamedPictureIsWrittenAndListedInItsScript) {
    for (const auto& [module, names] : Modules()) {
        const std::vector<uint8_t> bytes = ReadFile(std::string(ZOR_SKINS_DIR) + "/" + module + ".rc");
        const std::string script(bytes.begin(), bytes.end());
        for (const auto& name : names) {
            EXPECT_GT(Load(module, name).width, 0) << module << " " << name;
            EXPECT_NE(script.find("\n" + name + " BITMAP \""), std::string::npos) << module << " " << name;
        }
    }
}

TEST(Skins, OnlyExactMagentaIsTransparentAndBackgroundsAreShaped) {
    auto nearMagenta = [](uint32_t p) {
        const int r = int(p >> 16), g = int((p >> 8) & 0xFF), b = int(p & 0xFF);
        return p != kMagenta && r > 200 && g < 60 && b > 200;
    };
    const std::vector<std::pair<std::string, std::string>> backgrounds = {
        {"ENG", "Main_on"}, {"SC", "Main_off"}, {"AdvEng", "Main"}, {"AdvTC", "MAIN_P67"}, {"res", "MSG_8"}};
    for (const auto& [module, names] : Modules()) {
        for (const auto& name : names) {
            const Bitmap b = Load(module, name);
            for (uint32_t p : b.pixels) {
                ASSERT_FALSE(nearMagenta(p)) << module << " " << name;
            }
        }
    }
    for (const auto& [module, name] : backgrounds) {
        const Bitmap b = Load(module, name);
        for (const auto& [x, y] : {std::pair{0, 0}, {b.width - 1, 0}, {0, b.height - 1}, {b.width - 1, b.height - 1}}) {
            EXPECT_EQ(b.At(x, y), kMagenta) << module << " " << name << " corner " << x << "," << y;
        }
        EXPECT_NE(b.At(b.width / 2, b.height / 2), kMagenta) << module << " " << name;
    }
}

TEST(MainSkin, ButtonsSitOnTheWindowWithoutOverlapping) {
    for (const char* m : {"ENG", "SC", "TC"}) {
        const Bitmap bg = Load(m, "Main_on");
        const int p3dTop = std::string(m) == "ENG" ? 486 : 482;
        // Push buttons and selectors at their program places; ON and OFF share one.
        const std::vector<std::pair<std::string, Rect>> buttons = {
            {"OFF_nb", Place(m, "OFF_nb", 403, 45)},   {"CLOSE_N", Place(m, "CLOSE_N", 444, 7)},
            {"MINI_N", Place(m, "MINI_N", 483, 7)},    {"HELP_N", Place(m, "HELP_N", 518, 7)},
            {"UPDATE_N", Place(m, "UPDATE_N", 529, 480)}, {"RESET_N", Place(m, "RESET_N", 301, 155)},
            {"METER_N", Place(m, "METER_N", 214, 161)}, {"TOTAL_N", Place(m, "TOTAL_N", 260, 161)},
            {"L1_N", Place(m, "L1_N", 44, 501)},       {"L2_N", Place(m, "L2_N", 84, 501)},
            {"L3_N", Place(m, "L3_N", 123, 501)},      {"L4_N", Place(m, "L4_N", 162, 501)},
            {"LED_OFF", Place(m, "LED_OFF", 533, 440)}, {"P3D_OFF_N", Place(m, "P3D_OFF_N", 246, p3dTop)},
            {"panel", Place(m, "PSN_11", 162, 65)},     {"bar", Place(m, "BAR_0", 48, 391)}};
        for (size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_TRUE(OnWindow(bg, std::string(m) + " " + buttons[i].first, buttons[i].second));
            for (size_t j = i + 1; j < buttons.size(); ++j) {
                EXPECT_FALSE(buttons[i].second.Overlaps(buttons[j].second))
                    << m << " " << buttons[i].first << " overlaps " << buttons[j].first;
            }
        }
        // Every state of a button has the size of its normal picture (the hit rectangle).
        for (const char* b : {"METER", "TOTAL", "L1", "L2", "L3", "L4"}) {
            const Bitmap n = Load(m, std::string(b) + "_N");
            for (const char* s : {"_O", "_D", "_DIS"}) {
                const Bitmap o = Load(m, std::string(b) + s);
                EXPECT_TRUE(o.width == n.width && o.height == n.height) << m << " " << b << s;
            }
        }
        // Pictures drawn over "Main_on" in the state it shows are the background itself.
        EXPECT_TRUE(Seamless(bg, Load(m, "CLOSE_N"), "CLOSE_N", 444, 7));
        EXPECT_TRUE(Seamless(bg, Load(m, "UPDATE_N"), "UPDATE_N", 529, 480));
        EXPECT_TRUE(Seamless(bg, Load(m, "L4_N"), "L4_N", 162, 501));
        EXPECT_TRUE(Seamless(bg, Load(m, "PSN_11"), "PSN_11", 162, 65));
        EXPECT_TRUE(Seamless(bg, Load(m, "RESET_X"), "RESET_X", 301, 155));
        EXPECT_TRUE(Seamless(Load(m, "Main_off"), Load(m, "RESET_X"), "RESET_X on Main_off", 301, 155));
    }
}

TEST(MainSkin, FiguresLandOnTheirPanels) {
    const std::string m = "ENG";
    const Bitmap bg = Load(m, "Main_on");
    const Bitmap digit = Load(m, "PSN_0"), point = Load(m, "PSN_10"), cpu = Load(m, "CPU_ON_0");
    const Rect panel = Place(m, "PSN_11", 162, 65);
    // Right-aligned strip: up to eight digits from x = 171 stay on the panel, the tenth ends inside the window.
    EXPECT_EQ(digit.width, 25);
    EXPECT_TRUE(OnWindow(bg, "10th digit", {146 + 9 * 25, 84, digit.width, digit.height}));
    const Rect strip{146 + 25, 84, 8 * 25, digit.height};
    EXPECT_TRUE(strip.x >= panel.x && strip.x + strip.w <= panel.x + panel.w && strip.y + strip.h <= panel.y + panel.h);
    // The point hangs 27 pixels down, 4 left of the next digit: inside the digit row, between glyphs.
    EXPECT_LE(point.width, 4);
    EXPECT_LE(27 + point.height, digit.height);
    // The processor strip: four digits from x = 58 end before the figures panel begins.
    EXPECT_LE(58 + 4 * cpu.width, panel.x);
    EXPECT_TRUE(OnWindow(bg, "CPU strip", {58, 108, 4 * cpu.width, cpu.height}));
    // Time and date rows at y = 130: 12-pixel digits, separators that fit their gaps, on the panel.
    const struct {
        const char* name;
        int maxWidth;
    } small[] = {{"TOTAL_0", 12}, {"SINCE_0", 12}, {"SINCE_10", 6}, {"SINCE_11", 5}, {"SINCE_12", 8}};
    for (const auto& s : small) {
        const Bitmap b = Load(m, s.name);
        EXPECT_LE(b.width, s.maxWidth) << s.name;
        EXPECT_LE(130 + b.height, panel.y + panel.h) << s.name;
    }
    EXPECT_LE(377 + 12, panel.x + panel.w);  // the last year digit
    // Every glyph of a font has one size, so the strips advance evenly.
    for (const char* font : {"CPU_ON_%d", "CPU_OFF_%d", "PSN_%d", "TOTALNUM_%d", "TOTAL_%d", "SINCE_%d"}) {
        const auto names = Series(font, 0, 9);
        const Bitmap first = Load(m, names[0]);
        for (const auto& n : names) {
            const Bitmap b = Load(m, n);
            EXPECT_TRUE(b.width == first.width && b.height == first.height) << n;
        }
    }
}

TEST(MainSkin, PhaseIndicatorsAndLevelBarFitTheirGrid) {
    const std::string m = "TC";
    const Bitmap bg = Load(m, "Main_on");
    const Bitmap tile = Load(m, "PST_0");
    EXPECT_LE(tile.width, 38);             // columns 38 apart
    EXPECT_LE(228 + tile.height, 298);     // rows 70 apart
    for (int row : {228, 298}) {
        EXPECT_TRUE(OnWindow(bg, "phase row", {55, row, 38 * 11 + tile.width, tile.height}));
    }
    const Bitmap empty = Load(m, "BAR_0");
    EXPECT_EQ(48 + empty.width, 443 + Load(m, "BAR_6").width);  // the empty bar spans all six segments
    for (int k = 1; k <= 6; ++k) {
        const Bitmap seg = Load(m, "BAR_" + std::to_string(k));
        EXPECT_LE(seg.width, 79);
        EXPECT_EQ(seg.height, empty.height);
    }
    EXPECT_TRUE(OnWindow(bg, "level bar", {48, 391, empty.width, empty.height}));
}

TEST(MainSkin, PowerButtonMasksAreTrueMasks) {
    for (const char* pair : {"OFF_nb/OFF_NW", "OFF_OB/OFF_OW", "OFF_DB/OFF_DW", "ON_NB/ON_NW", "ON_OB/ON_OW", "ON_DB/ON_DW"}) {
        const std::string s = pair;
        const Bitmap img = Load("SC", s.substr(0, s.find('/'))), mask = Load("SC", s.substr(s.find('/') + 1));
        ASSERT_TRUE(img.width == mask.width && img.height == mask.height) << pair;
        size_t opaque = 0;
        for (size_t i = 0; i < img.pixels.size(); ++i) {
            ASSERT_TRUE(mask.pixels[i] == 0xFFFFFF || mask.pixels[i] == 0) << pair;
            if (mask.pixels[i] == 0xFFFFFF) {
                ASSERT_EQ(img.pixels[i], 0u) << pair << ": image must be black where the mask keeps the background";
            } else {
                ++opaque;
            }
        }
        EXPECT_EQ(mask.At(0, 0), 0xFFFFFFu) << pair << ": a round button leaves its corners to the background";
        EXPECT_GT(opaque, img.pixels.size() / 2) << pair;
    }
}

TEST(AdvancedSkin, EveryPlatformLayoutFitsItsBackground) {
    struct Layout {
        const char* background;
        bool p67;
        int toggleLeft[9];
    };
    const int tops[9] = {152, 152, 152, 232, 312, 72, 72, 72, 72};
    const Layout layouts[] = {{"Main", false, {130, 210, 538, 538, 130, 387, 463, 538, -1}},
                              {"Main_X58", false, {130, 210, 538, 538, 130, -1, 387, 463, -1}},
                              {"Main_P55", false, {-1, -1, 538, 538, 130, -1, 387, 463, 446}},
                              {"MAIN_P67", true, {-1, -1, 274, 126, 445, -1, 209, 275, 446}}};
    for (const char* m : {"AdvEng", "AdvSC", "AdvTC"}) {
        for (const Layout& l : layouts) {
            const Bitmap bg = Load(m, l.background);
            const std::string where = std::string(m) + " " + l.background;
            const int push = l.p67 ? 303 : 346, level = l.p67 ? 119 : 297;
            std::vector<std::pair<std::string, Rect>> items = {
                {"SAVE", Place(m, "SAVE_N", 378, push)},  {"QUIT", Place(m, "QUIT_N", 482, push)},
                {"LV1", Place(m, "LV1_N", level, 73)},     {"LV2", Place(m, "LV2_N", level, 89)},
                {"LV3", Place(m, "LV3_N", level, 106)}};
            if (!l.p67) {
                items.push_back({"upper left", Place(m, "L_N", 114, 85)});
                items.push_back({"upper right", Place(m, "R_N", 254, 85)});
                items.push_back({"lower left", Place(m, "L_N", 376, 245)});
                items.push_back({"lower right", Place(m, "R_N", 516, 245)});
                items.push_back({"upper slider", {136, 84, 118, 22}});
                items.push_back({"lower slider", {398, 243, 118, 22}});
                items.push_back({"upper label", Place(m, "BBar", 170, 110)});
                items.push_back({"lower label", Place(m, "BBar", 439, 267)});
            }
            for (int i = 0; i < 9; ++i) {
                if (l.toggleLeft[i] >= 0) {
                    items.push_back({"toggle " + std::to_string(i), Place(m, "RDO_On", l.toggleLeft[i], l.p67 && i == 4 ? 232 : tops[i])});
                }
            }
            for (size_t i = 0; i < items.size(); ++i) {
                EXPECT_TRUE(OnWindow(bg, where + " " + items[i].first, items[i].second));
                for (size_t j = i + 1; j < items.size(); ++j) {
                    EXPECT_FALSE(items[i].second.Overlaps(items[j].second))
                        << where << " " << items[i].first << " overlaps " << items[j].first;
                }
            }
            // Painting draws these over the background; they must match what is already there.
            EXPECT_TRUE(Seamless(bg, Load(m, "SAVE_N"), where + " SAVE_N", 378, push));
            EXPECT_TRUE(Seamless(bg, Load(m, "LV3_N"), where + " LV3_N", level, 106));
        }
    }
}

TEST(MessageSkin, ButtonsSitOnEveryPictureAndMatchIt) {
    const Rect yes = Place("res", "MSG_YES_N", 290, 20), no = Place("res", "MSG_NO_N", 380, 20),
               ok = Place("res", "MSG_OK_N", 380, 20);
    EXPECT_FALSE(yes.Overlaps(no));
    for (const char* name : {"MSG_1", "MSG_6", "MSG_9", "MSG_SC_8", "MSG_SC_9"}) {
        const Bitmap bg = Load("res", name);
        EXPECT_TRUE(OnWindow(bg, name, ok));
        EXPECT_TRUE(Seamless(bg, Load("res", "MSG_OK_N"), name, 380, 20));
    }
    for (const char* name : {"MSG_7", "MSG_8", "MSG_12", "MSG_13"}) {
        const Bitmap bg = Load("res", name);
        EXPECT_TRUE(OnWindow(bg, name, yes) && OnWindow(bg, name, no));
        EXPECT_TRUE(Seamless(bg, Load("res", "MSG_YES_N"), name, 290, 20));
        EXPECT_TRUE(Seamless(bg, Load("res", "MSG_NO_N"), name, 380, 20));
    }
}

TEST(ProgramResources, ControlPiecesHaveTheirFixedSizes) {
    const struct {
        int id, w, h;
    } sizes[] = {{130, 38, 22}, {131, 118, 22}, {132, 20, 21}, {133, 4, 21}, {134, 20, 21},
                 {135, 4, 3},   {136, 4, 17},   {137, 4, 17},   {138, 4, 3}};
    for (const auto& s : sizes) {
        const Bitmap b = Load("program", "bitmap_" + std::to_string(s.id));
        EXPECT_EQ(b.width, s.w) << s.id;
        EXPECT_EQ(b.height, s.h) << s.id;
    }
    // The slider keys the thumb on its top-left pixel; the track is drawn opaquely.
    const Bitmap thumb = Load("program", "bitmap_130");
    EXPECT_EQ(thumb.At(0, 0), kMagenta);
    EXPECT_NE(thumb.At(19, 11), kMagenta);
    for (uint32_t p : Load("program", "bitmap_131").pixels) {
        ASSERT_NE(p, kMagenta);
    }
    // Icon 128: a real .ico with 32, 24 and 16 pixel images.
    const std::vector<uint8_t> ico = ReadFile(std::string(ZOR_SKINS_DIR) + "/program/icon_128.ico");
    ASSERT_GE(ico.size(), 6u + 3 * 16);
    EXPECT_EQ(Le(ico, 2, 2), 1u);
    ASSERT_EQ(Le(ico, 4, 2), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ico[6 + size_t(i) * 16], uint8_t(32 - 8 * i));
        EXPECT_EQ(Le(ico, 6 + size_t(i) * 16 + 6, 2), 32u);  // bits per pixel
    }
}

}  // namespace
