#pragma once

class QPushButton;
class QScrollBar;
class PortComboBox;
class ReadingList;
class QWidget;
class ReadingListView;
class SurfacePanel;

// The controls of the main dialog, made where the dialog template puts them and
// moved by the shared layout rules. The window owns them through Qt's parents.
struct DialogControls {
    // The list shows `rows`, which outlive the controls.
    DialogControls(QWidget& window, const ReadingList& rows);

    // Moves and sizes the resizable controls for the window's client size.
    void layout(int clientWidth, int clientHeight);

    PortComboBox* portCombo;
    SurfacePanel* facePanel;
    SurfacePanel* chartPanel;
    QPushButton* clear;
    QPushButton* hold;
    QPushButton* zoomIn;
    QPushButton* zoomOut;
    QScrollBar* scrollBar;
    ReadingListView* listView;
};
