#pragma once

#include <QWidget>

namespace zr
{

// The thin bar along a floating panel's bottom edge: green while the camera is online, red while
// it is offline.
class OnlineStrip : public QWidget
{
    Q_OBJECT

public:
    explicit OnlineStrip(QWidget* parent = nullptr) : QWidget(parent)
    {
        setAutoFillBackground(true);
        SetOnline(false);
    }

    void SetOnline(bool online)
    {
        online_ = online;
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, online ? QColor(0, 128, 0) : QColor(255, 0, 0));
        setPalette(palette);
        update();
    }
    bool IsOnline() const { return online_; }

private:
    bool online_ = false;
};

} // namespace zr
