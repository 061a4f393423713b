#include "app/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <functional>
#include <initializer_list>

namespace icons {
namespace {

QIcon Painted(int size, const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(size * scale, size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon Standard(QStyle::StandardPixmap which) { return qApp->style()->standardIcon(which); }

// The desktop's icon theme first, under its freedesktop names (the first one it knows wins),
// so the buttons look like every other program's there; our own picture where the theme has
// none of them, or there is no theme at all.
QIcon Themed(std::initializer_list<const char*> names, const std::function<QIcon()>& own) {
    for (const char* name : names) {
        const QString themed = QString::fromLatin1(name);
        if (QIcon::hasThemeIcon(themed)) return QIcon::fromTheme(themed);
    }
    return own();
}

QIcon Sheet(const QColor& mark, const std::function<void(QPainter&)>& extra) {
    return Painted(20, [&](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 12, 16));
        p.setPen(QPen(QColor(160, 160, 160), 1));
        for (double y = 5.5; y < 15; y += 3) p.drawLine(QPointF(6, y), QPointF(13, y));
        p.setPen(QPen(mark, 2.5, Qt::SolidLine, Qt::RoundCap));
        extra(p);
    });
}

QIcon OwnNewFile() { return Standard(QStyle::SP_FileIcon); }
QIcon OwnOpenFile() { return Standard(QStyle::SP_DialogOpenButton); }
QIcon OwnSaveAs() { return Standard(QStyle::SP_DialogSaveButton); }

QIcon OwnNewRecord() {
    return Sheet(QColor(20, 140, 40), [](QPainter& p) {
        p.drawLine(QPointF(14, 10), QPointF(14, 18));
        p.drawLine(QPointF(10, 14), QPointF(18, 14));
    });
}

QIcon OwnEditRecord() {
    return Sheet(QColor(200, 140, 20), [](QPainter& p) {
        p.setPen(QPen(QColor(200, 140, 20), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(18, 7), QPointF(10, 15));
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.drawLine(QPointF(10, 15), QPointF(8.5, 17.5));
    });
}

QIcon OwnDeleteRecord() {
    return Sheet(QColor(200, 30, 30), [](QPainter& p) {
        p.drawLine(QPointF(10, 10), QPointF(18, 18));
        p.drawLine(QPointF(18, 10), QPointF(10, 18));
    });
}

QIcon OwnSearch() {
    return Painted(20, [](QPainter& p) {
        p.setPen(QPen(QColor(50, 50, 50), 2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
        p.setPen(QPen(QColor(120, 80, 30), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    });
}

QIcon OwnExit() {
    return Painted(20, [](QPainter& p) {
        p.setPen(QPen(QColor(80, 60, 40), 1));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(3.5, 2.5, 9, 15));
        p.setBrush(QColor(250, 220, 90));
        p.drawEllipse(QPointF(10.5, 10), 1, 1);
        p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 10), QPointF(18.5, 10));
        p.drawLine(QPointF(18.5, 10), QPointF(15.5, 7));
        p.drawLine(QPointF(18.5, 10), QPointF(15.5, 13));
    });
}

QIcon OwnCalendar() {
    return Painted(16, [](QPainter& p) {
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(200, 40, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 90));
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col)
                p.drawRect(QRectF(3 + col * 3, 7.5 + row * 2.3, 1.6, 1.4));
        }
    });
}

QIcon OwnCalculator() {
    return Painted(16, [](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 70), 1));
        p.setBrush(QColor(235, 235, 225));
        p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
        p.setBrush(QColor(170, 210, 170));
        p.drawRect(QRectF(4, 2, 8, 3.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 70));
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(4.2 + col * 2.8, 7 + row * 2.7, 1.8, 1.8));
        }
    });
}

QIcon OwnOk() { return Standard(QStyle::SP_DialogOkButton); }
QIcon OwnCancel() { return Standard(QStyle::SP_DialogCancelButton); }

QIcon OwnProgram() {
    return Painted(48, [](QPainter& p) {
        p.setPen(QPen(QColor(30, 30, 30), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 32), 9, 9);
        p.drawEllipse(QPointF(36, 32), 9, 9);
        p.setPen(QPen(QColor(30, 90, 170), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath frame;
        frame.moveTo(12, 32);
        frame.lineTo(20, 18);
        frame.lineTo(33, 18);
        frame.lineTo(24, 32);
        frame.closeSubpath();
        p.drawPath(frame);
        p.drawLine(QPointF(33, 18), QPointF(36, 32));
        p.drawLine(QPointF(20, 18), QPointF(18, 13));
        p.drawLine(QPointF(15, 13), QPointF(22, 13));
        p.drawLine(QPointF(33, 18), QPointF(31, 11));
        p.drawLine(QPointF(31, 11), QPointF(36, 11));
    });
}

}  // namespace

QIcon NewFile() { return Themed({"document-new"}, OwnNewFile); }
QIcon OpenFile() { return Themed({"document-open"}, OwnOpenFile); }
QIcon SaveAs() { return Themed({"document-save-as"}, OwnSaveAs); }
QIcon NewRecord() { return Themed({"list-add"}, OwnNewRecord); }
QIcon EditRecord() {
    return Themed({"document-edit", "document-properties", "accessories-text-editor"},
                  OwnEditRecord);
}
QIcon DeleteRecord() { return Themed({"edit-delete", "list-remove"}, OwnDeleteRecord); }
QIcon Search() { return Themed({"edit-find", "system-search"}, OwnSearch); }
QIcon Exit() { return Themed({"application-exit", "system-log-out"}, OwnExit); }
QIcon Calendar() {
    return Themed({"x-office-calendar", "appointment-new", "office-calendar"}, OwnCalendar);
}
QIcon Calculator() { return Themed({"accessories-calculator"}, OwnCalculator); }
QIcon Ok() { return Themed({"dialog-ok", "dialog-ok-apply"}, OwnOk); }
QIcon Cancel() { return Themed({"dialog-cancel", "process-stop"}, OwnCancel); }
// The installed program's picture lives in the hicolor theme under the program's name.
QIcon Program() { return Themed({"vamo2001"}, OwnProgram); }

}  // namespace icons
