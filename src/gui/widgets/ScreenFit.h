#pragma once
// Windows are never larger than the screen they open on: a 1366×768 screen at
// 125 % leaves about 1090×610 logical pixels, less than some windows' first
// size.
class QSize;
class QWidget;

// Room a window may take on its screen: the available area less a title bar
// and frame.
QSize RoomOnScreen(const QWidget* window);
// Shrinks a window that is larger than RoomOnScreen to it (as far as its
// minimum size allows) and keeps it on the screen.
void FitToScreen(QWidget* window);
// Applies FitToScreen to every top-level window as it is shown.
void InstallScreenFit();
