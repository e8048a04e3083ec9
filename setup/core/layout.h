#pragma once
// The forms' layouts: sizes and positions in twips (1/1440 inch), fonts and
// texts. Both front ends build their windows from these tables.

#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <string_view>

namespace setup::core::layout {

// A font of the Arial family (or the system's sans-serif where Arial is missing).
struct Font {
    double points;
    bool bold;
};
// Every form's default font.
inline constexpr Font kDefaultFont{8.25, false};

struct Box {
    int left, top, width, height;
};

// A control: its name, its initial text and its place inside its parent. No
// font means the form's default font.
struct Control {
    std::string_view name;
    std::string_view text;
    Box box;
    std::optional<Font> font = std::nullopt;
};

// A form: its name, caption and client area.
struct Form {
    std::string_view name;
    std::string_view caption;
    int width, height;
};

// Twips at the screen's dots per inch, rounded to the nearest pixel.
inline int twipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

// A box in pixels inside its parent's client area.
struct PixelBox {
    int left, top, width, height;
    bool operator==(const PixelBox&) const = default;
};

// What a front end measures of a label's text in the label's font, in pixels.
struct TextSize {
    int lineHeight;                           // one line
    int width;                                // the whole text on one line
    std::function<int(int width)> wrappedHeight;  // the text wrapped at width
};

// A label's place and whether it wraps its text at its width.
struct LabelBox {
    PixelBox box;
    bool wraps;
    bool operator==(const LabelBox&) const = default;
};

// The box that a label needs so that all of its text shows, at any resolution
// (the fonts grow in whole pixels, the layout does not, and no two fonts have
// the same widths). box is the label's layout box in pixels, parentWidth and
// parentHeight its parent's client area. No label becomes smaller than its box.
//
// A label at least two lines high wraps its text at its width. It keeps its
// box when its lines fit into it; otherwise it grows to the right just enough
// for them to fit, up to the parent's right edge, and when even that is too
// narrow it takes that width and grows downwards to the height of its lines,
// up to the parent's bottom edge.
//
// A lower label shows one line: it grows to the right to its text's width and
// to one line's height. When the parent's right edge leaves too little room
// for that, the label wraps at that edge if its lines then fit above the
// parent's bottom edge, as a higher label does; else it moves left as far as
// its line needs (but not past the parent's left edge).
LabelBox fitLabel(const PixelBox& box, const TextSize& text, int parentWidth, int parentHeight);

// The splash. Controls are listed in tab order.
namespace form1 {
inline constexpr Form kForm{"Form1", "RUK - 3", 5130, 1980};
inline constexpr int kTimerInterval = 3000;  // ms
inline constexpr Control Label1{"Label1", "RUK - 3 Topografía AutoCAD 2004", {570, 90, 3675, 270}, Font{11.25, true}};
inline constexpr Control Label2{"Label2", "R.U.K.", {600, 1515, 1065, 435}, Font{18, true}};
inline constexpr Control LBLinico{"LBLinico", "Iniciando programa .......", {3300, 1710, 1710, 195}};
inline constexpr Control Label3{"Label3",
                                "Aplicación para AutoCAD desarrollada por el equipo RUK. Contacto: ruk@example.com",
                                {1860, 690, 2655, 660}, Font{8.25, false}};
// Below the bottom edge of the client area: it only carries the stored path.
inline constexpr Control Label4{"Label4", "Label4", {3645, 2925, 675, 210}};
inline constexpr Control Image1{"Image1", "", {600, 495, 1020, 1035}};
}  // namespace form1

// The wizard. Frame1's controls are placed inside the frame.
namespace form2 {
inline constexpr Form kForm{"Form2", "Configuración", 5625, 3540};
inline constexpr Control Label1{"Label1",
                                "Esta es la primera vez que ejecuta RUK - 3 en su ordenador. El asistente le guiará "
                                "durante todo el proceso de configuración.",
                                {510, 180, 4650, 450}};
inline constexpr Control Frame1{"Frame1", "", {277, 675, 5070, 2280}};
// The control array Label2: both elements share the name.
inline constexpr std::array<Control, 2> Label2{
    Control{"Label2", "1.- Sistema operativo configurado", {885, 345, 3225, 270}, Font{8.25, true}},
    Control{"Label2", "2.- Seleccione ruta de instalación de AutoCAD 2004", {345, 1185, 4335, 270}, Font{8.25, true}},
};
inline constexpr Control Label3{"Label3", "Label3", {555, 660, 3705, 240}};
inline constexpr Control Text1{"Text1", "", {525, 1530, 3615, 300}};
inline constexpr Control Command1{"Command1", "....", {4170, 1530, 315, 315}};
inline constexpr Control Command2{"Command2", "Continuar >>", {3975, 3060, 1350, 375}};
}  // namespace form2

// The locator. Tab order: Drive1, Dir1, File1, Command1, Command2.
namespace form3 {
// "Explorardor", with its extra "r", is the caption the add-on's users know
// this window by; it is kept as it is, not corrected to "Explorador".
inline constexpr Form kForm{"Form3", "Explorardor RUK", 5805, 3480};
inline constexpr Control Label1{"Label1",
                                "Seleccione el archivo acad.exe de la carpeta de instalación de AutoCAD 2004",
                                {135, 105, 5670, 375}};
inline constexpr Control Drive1{"Drive1", "", {337, 570, 2910, 315}};
inline constexpr Control Dir1{"Dir1", "", {315, 930, 2895, 2115}};
inline constexpr Control File1{"File1", "", {3330, 585, 2055, 1455}};
inline constexpr Control Command1{"Command1", "&Aceptar", {3330, 2130, 2055, 360}};
inline constexpr Control Command2{"Command2", "&Salir", {3345, 2670, 2055, 360}};
// Each line of Dir1 shows a folder icon of this size, indented this much for
// each step from the drive's root (twips).
inline constexpr int kFolderIconSize = 240;
inline constexpr int kFolderIndent = 150;
}  // namespace form3

}  // namespace setup::core::layout
