#pragma once
// A top-level window that is a plain QWidget is exposed to accessibility tools as a client area
// ("filler"), not as a window; main windows and dialogs are exposed as windows ("frame").

class QWidget;

namespace ui {

// Exposes `window` as a window. Call before anything has asked for its accessible interface.
void ExposeAsWindow(QWidget* window);

}  // namespace ui
