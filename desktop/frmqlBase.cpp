#include "desktop/frmqlBase.h"

#include "model/uqlClasses.h"

#include <QGuiApplication>
#include <QScreen>

#include <limits>
#include <utility>

QRect qlKeepOnScreen(const QRect& Rect)
{
    for (QScreen* Screen : QGuiApplication::screens())
        if (Screen->availableGeometry().intersects(Rect))
            return Rect;
    const QScreen* Primary = QGuiApplication::primaryScreen();
    if (!Primary)
        return Rect;
    QRect Area = Primary->availableGeometry();
    QRect Result = Rect;
    Result.moveTopLeft(Area.topLeft());
    return Result;
}

TFormPlacement::TFormPlacement(QWidget* Form, std::string Section, bool Sizeable, unsigned Steps)
    : FForm(Form), FSection(std::move(Section)), FSizeable(Sizeable), FSteps(Steps)
{
}

void TFormPlacement::Restore()
{
    if (!gqlQuilletOptions)
        return;
    IqlFileSettings& S = *gqlQuilletOptions;
    if (S.ReadValue(FSection, "Docked", false).AsBoolean())
        return;
    QPoint Pos = FForm->pos();
    QSize Size = FForm->size();
    // A place never stored is none: the window system, or Qt for a dialog
    // over its parent, places the window.
    constexpr int None = std::numeric_limits<int>::min();
    const int Left = static_cast<int>(S.ReadValue(FSection, "Left", None).AsInteger());
    const int Top = static_cast<int>(S.ReadValue(FSection, "Top", None).AsInteger());
    const bool Placed = Left != None || Top != None;
    if (Left != None)
        Pos.setX(Left);
    if (Top != None)
        Pos.setY(Top);
    int State = 0;
    if (FSizeable) {
        Size.setWidth(static_cast<int>(S.ReadValue(FSection, "Width", Size.width()).AsInteger()));
        Size.setHeight(static_cast<int>(S.ReadValue(FSection, "Height", Size.height()).AsInteger()));
        int Current = FForm->isMaximized() ? 2 : FForm->isMinimized() ? 1 : 0;
        State = static_cast<int>(S.ReadValue(FSection, "WindowState", Current).AsInteger());
    }
    if (Size.width() < 1 || Size.height() < 1)
        Size = FForm->size();
    QRect Rect = Placed ? qlKeepOnScreen(QRect(Pos, Size)) : QRect(Pos, Size);
    if (Placed)
        FForm->move(Rect.topLeft());
    if (FSizeable)
        FForm->resize(Rect.size());
    if (State == 2)
        FForm->setWindowState(FForm->windowState() | Qt::WindowMaximized);
    else if (State == 1)
        FForm->setWindowState(FForm->windowState() | Qt::WindowMinimized);
}

void TFormPlacement::Capture()
{
    Placement.Captured = true;
    Placement.Maximized = FForm->isMaximized();
    Placement.Normal = FForm->isMaximized() ? FForm->normalGeometry() : QRect(FForm->pos(), FForm->size());
}

void TFormPlacement::Store()
{
    if (FStored || !FShown || !gqlQuilletOptions)
        return;
    FStored = true;
    IqlFileSettings& S = *gqlQuilletOptions;
    S.WriteValue(FSection, "Docked", false);
    S.WriteValue(FSection, "Left", FForm->pos().x());
    S.WriteValue(FSection, "Top", FForm->pos().y());
    if (!FSizeable)
        return;
    S.WriteValue(FSection, "Width", FForm->width());
    S.WriteValue(FSection, "Height", FForm->height());
    int State = FForm->isMaximized() ? 2 : FForm->isMinimized() ? 1 : 0;
    S.WriteValue(FSection, "WindowState", State);
    // A maximized window comes back at its restored size, maximized again
    // by "WindowState".
    QRect Normal;
    if (Placement.Captured && Placement.Maximized)
        Normal = Placement.Normal;
    else if (State == 2)
        Normal = FForm->normalGeometry();
    if (Normal.isValid()) {
        S.WriteValue(FSection, "Left", Normal.left());
        S.WriteValue(FSection, "Top", Normal.top());
        S.WriteValue(FSection, "Width", Normal.width());
        S.WriteValue(FSection, "Height", Normal.height());
    }
}
