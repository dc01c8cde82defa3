// The base of every window of the program: it remembers the window's
// position and size between runs in the program's settings file
// (gqlQuilletOptions), one section per window class.
#pragma once

#include <QCloseEvent>
#include <QRect>
#include <QShowEvent>
#include <QWidget>

#include <string>

// What the window looked like when it was last closed.
struct TWindowPlacement {
    bool Captured = false;
    bool Maximized = false;
    QRect Normal;  // the restored rectangle (position and size)
};

// The steps a window class runs; a window with its own handler for a step
// leaves the base step out.
enum TFormStep : unsigned {
    fsRestoreOnCreate = 1,
    fsCaptureOnClose = 2,
    fsStoreOnDestroy = 4,
    fsAllSteps = 7,
};

// The placement logic, kept apart from the widget class so that main windows
// and dialogs share it.
class TFormPlacement {
public:
    // Section is the window's class name; a window that is not Sizeable
    // restores and stores only its position.
    TFormPlacement(QWidget* Form, std::string Section, bool Sizeable, unsigned Steps);

    const std::string& Section() const { return FSection; }
    bool Sizeable() const { return FSizeable; }
    unsigned Steps() const { return FSteps; }

    // Reads "Docked", "Left", "Top" (and "Width", "Height", "WindowState"
    // when sizeable) and applies them. A rectangle off every screen goes to
    // the primary screen. Without a stored place the window is not moved:
    // a dialog then opens centred on its parent.
    void Restore();
    // Notes whether the window is maximized and its restored rectangle.
    void Capture();
    // The window has been on screen.
    void NoteShown() { FShown = true; }
    bool Shown() const { return FShown; }
    // Writes the placement; runs at most once. Does nothing without settings,
    // nor for a window never shown, which has no place of its own to keep.
    void Store();
    bool Stored() const { return FStored; }

    TWindowPlacement Placement;

private:
    QWidget* FForm;
    std::string FSection;
    bool FSizeable;
    unsigned FSteps;
    bool FStored = false;
    bool FShown = false;
};

// Moves Rect onto the primary screen when it shows on no screen at all.
QRect qlKeepOnScreen(const QRect& Rect);

template <class TBase>
class TFormBase : public TBase {
public:
    TFormBase(const char* ClassName, bool Sizeable, unsigned Steps, QWidget* Parent = nullptr)
        : TBase(Parent), FPlacement(this, ClassName, Sizeable, Steps)
    {
    }
    ~TFormBase() override
    {
        // A window that did not store its placement itself does so here;
        // nothing may leave a destructor.
        try {
            FormDestroy();
        } catch (...) {
        }
    }

    TFormPlacement& Placement() { return FPlacement; }

    // The three base steps. The window class calls FormCreate at the end of
    // its constructor, once its designed size is set.
    void FormCreate()
    {
        if (FPlacement.Steps() & fsRestoreOnCreate)
            FPlacement.Restore();
    }
    void FormClose()
    {
        if (FPlacement.Steps() & fsCaptureOnClose)
            FPlacement.Capture();
    }
    void FormDestroy()
    {
        if (FPlacement.Steps() & fsStoreOnDestroy)
            FPlacement.Store();
    }

protected:
    void closeEvent(QCloseEvent* Event) override
    {
        FormClose();
        TBase::closeEvent(Event);
    }
    void showEvent(QShowEvent* Event) override
    {
        FPlacement.NoteShown();
        TBase::showEvent(Event);
    }

private:
    TFormPlacement FPlacement;
};
