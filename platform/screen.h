// Window operations in the units the window is designed in: twips (1/1440
// inch), at 15 twips to a device-independent pixel (96 dpi). Qt's high-DPI
// scaling then maps those pixels onto the screen, so the layout stays crisp
// and in proportion on dense screens.
#pragma once

#include <QRect>
#include <QSizeF>

class QWidget;

namespace platform {

constexpr float kTwipsPerPixel = 15;

inline int ToPixels(float twips) {
    return qRound(twips / kTwipsPerPixel);
}
inline float ToTwips(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

inline QRect TwipsRect(float left, float top, float width, float height) {
    return {ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height)};
}

enum class Pointer { Default, Busy };

// Sets the pointer shown over every window of the program. Busy stands over
// the controls too, where they have pointers of their own (a text box's
// I-beam); Default gives each control its own again.
void SetMousePointer(Pointer shape);

// The busy pointer for the life of the object, the default again on every way
// out of the scope, an exception included.
class BusyPointer {
public:
    BusyPointer() { SetMousePointer(Pointer::Busy); }
    ~BusyPointer() { SetMousePointer(Pointer::Default); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Size of the screen the window is on, in twips.
QSizeF ScreenSizeTwips(const QWidget* window);

// Outer size of a top-level window, title bar and border included, in twips.
QSizeF OuterSizeTwips(const QWidget* window);

// Moves a top-level window so that its outer top-left corner stands at the
// given point, in twips from the top-left of its screen.
void MoveTwips(QWidget* window, float left, float top);

// Closes the window: its unload handler runs and the window goes; the program
// ends with its last window.
void Unload(QWidget* window);

} // namespace platform
