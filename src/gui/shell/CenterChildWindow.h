#pragma once

class QWidget;

// Places a child window inside the main window by ChildPlacement's formula, converting the
// windows' outer sizes to twips at the main window's resolution. A child shown in the frame is
// moved together with its sub-window frame. Nothing happens while the main window is minimised,
// maximised or full screen.
void centerChildWindow(QWidget& main, QWidget& child);
