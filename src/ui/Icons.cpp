// SPDX-License-Identifier: MIT
#include "ui/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace kv::ui::Icons {

namespace {

using Draw = std::function<void(QPainter&)>;

// Every picture is drawn on a 32 x 32 grid and scaled to the requested size.
QPixmap render(int size, qreal dpr, const Draw& draw) {
    QPixmap pixmap(qRound(size * dpr), qRound(size * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return pixmap;
}

QIcon iconFrom(const Draw& draw) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(size, 1.0, draw));
    return icon;
}

const QColor kInk(40, 44, 52);
const QColor kPin(176, 180, 188);
const QColor kBlue(30, 110, 200);
const QColor kGreen(40, 150, 60);
const QColor kRed(210, 40, 40);
const QColor kGold(222, 170, 40);

void chip(QPainter& p, const QRectF& body) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPin);
    const int pins = 4;
    const qreal step = body.height() / pins;
    for (int i = 0; i < pins; ++i) {
        const qreal y = body.top() + step * i + step * 0.3;
        p.drawRect(QRectF(body.left() - 3, y, 3, step * 0.4));
        p.drawRect(QRectF(body.right(), y, 3, step * 0.4));
    }
    p.setBrush(kInk);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setBrush(QColor(90, 96, 108));
    p.drawEllipse(QPointF(body.left() + 3.5, body.top() + 3.5), 1.5, 1.5);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width = 3.0) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    const QLineF shaft(from, to);
    QLineF head(to, from);
    head.setLength(7);
    p.drawLine(from, head.p2());
    QLineF side1 = head, side2 = head;
    side1.setAngle(head.angle() + 35);
    side2.setAngle(head.angle() - 35);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF({to, side1.p2(), side2.p2()}));
}

// A row of fuse bit cells, programmed bits in red.
void bitCells(QPainter& p, qreal top) {
    const char* bits = "1011";
    for (int i = 0; i < 4; ++i) {
        const QRectF cell(4 + i * 6.5, top, 5.5, 8);
        p.setPen(QPen(kInk, 1));
        p.setBrush(bits[i] == '0' ? QColor(255, 210, 210) : Qt::white);
        p.drawRect(cell);
        p.setPen(QPen(bits[i] == '0' ? kRed : kInk, 1.4));
        if (bits[i] == '0')
            p.drawEllipse(cell.center(), 1.4, 2.4);
        else
            p.drawLine(QPointF(cell.center().x(), cell.top() + 1.5),
                       QPointF(cell.center().x(), cell.bottom() - 1.5));
    }
}

void serialConnector(QPainter& p, const QRectF& r) {
    QPolygonF shell({r.topLeft(), r.topRight(), QPointF(r.right() - 3, r.bottom()),
                     QPointF(r.left() + 3, r.bottom())});
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(200, 205, 212));
    p.drawPolygon(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(r.left() + 4 + i * (r.width() - 8) / 4, r.top() + r.height() * 0.33),
                      0.9, 0.9);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(
            QPointF(r.left() + 5.5 + i * (r.width() - 11) / 3, r.top() + r.height() * 0.7), 0.9,
            0.9);
}

void gear(QPainter& p, QPointF c, qreal r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 116, 128));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45);
        p.drawRect(QRectF(-1.6, -r - 2, 3.2, 4));
        p.restore();
    }
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r * 0.4, r * 0.4);
}

void drawToolbar(QPainter& p, CommandId command) {
    if (command == CommandId::SelectModel) {
        chip(p, QRectF(5, 4, 15, 20));
        p.setPen(QPen(kBlue, 2.5));
        p.setBrush(QColor(220, 235, 255, 200));
        p.drawEllipse(QPointF(20, 19), 6, 6);
        p.setPen(QPen(kBlue, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24.5, 23.5), QPointF(29, 28));
    } else if (command == CommandId::FuseDefaults) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF(
            {QPointF(7, 3), QPointF(20, 3), QPointF(25, 8), QPointF(25, 29), QPointF(7, 29)}));
        p.setPen(QPen(QColor(150, 156, 166), 1.2));
        for (int y = 11; y <= 26; y += 4)
            p.drawLine(QPointF(10, y), QPointF(22, y));
        arrow(p, QPointF(16, 2), QPointF(16, 22), kGreen, 3.2);
    } else if (command == CommandId::ReadFuses) {
        bitCells(p, 20);
        arrow(p, QPointF(16, 18), QPointF(16, 2), kBlue);
    } else if (command == CommandId::WriteFuses) {
        bitCells(p, 20);
        arrow(p, QPointF(16, 2), QPointF(16, 18), kRed);
    } else if (command == CommandId::WriteLock) {
        p.setPen(QPen(QColor(120, 124, 132), 3.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(9, 11), QPointF(9, 15));
        p.drawLine(QPointF(23, 11), QPointF(23, 15));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kGold);
        p.drawRoundedRect(QRectF(6, 14, 20, 15), 2, 2);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(16, 20), 2, 2);
        p.drawRect(QRectF(15.2, 20, 1.6, 5));
    } else if (command == CommandId::RecoverFuses) {
        bitCells(p, 21);
        p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 2, 16, 16), 40 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF({QPointF(23, 1), QPointF(25, 9), QPointF(17, 7)}));
    } else if (command == CommandId::EraseChip) {
        chip(p, QRectF(6, 12, 16, 17));
        p.save();
        p.translate(19, 11);
        p.rotate(-35);
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(240, 120, 150));
        p.drawRect(QRectF(-9, -4, 10, 8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1, -4, 8, 8));
        p.restore();
    } else if (command == CommandId::ProgramMenu) {
        chip(p, QRectF(7, 5, 18, 22));
        p.setPen(QPen(QColor(120, 80, 0), 0.8));
        p.setBrush(QColor(255, 214, 40));
        p.drawPolygon(QPolygonF({QPointF(18, 6), QPointF(11, 17), QPointF(16, 17), QPointF(13, 27),
                                 QPointF(22, 14), QPointF(17, 14), QPointF(20, 6)}));
    } else if (command == CommandId::CheckLink) {
        serialConnector(p, QRectF(3, 4, 20, 11));
        p.setPen(QPen(kGreen, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(12, 22), QPointF(18, 28), QPointF(29, 15)}));
    } else if (command == CommandId::PortSettings) {
        serialConnector(p, QRectF(2, 4, 20, 11));
        gear(p, QPointF(22, 22), 5.5);
    } else if (command == CommandId::Schemes) {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(250, 205, 90));
        p.drawPolygon(QPolygonF({QPointF(2, 8), QPointF(11, 8), QPointF(13, 11), QPointF(26, 11),
                                 QPointF(26, 26), QPointF(2, 26)}));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(17, 17, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(19.5, 17, 8, 5));
        p.drawRect(QRectF(19.5, 25, 8, 5));
    } else if (command == CommandId::Production) {
        // a ledger: ruled lines with one entry ticked
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 20, 26));
        p.setPen(QPen(kBlue, 1.5));
        for (qreal y : {9.0, 14.0, 19.0, 24.0})
            p.drawLine(QPointF(14, y), QPointF(23, y));
        p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPolyline(QPolygonF({QPointF(8, 13), QPointF(10, 16), QPointF(13, 10)}));
    } else if (command == CommandId::About) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(16, 16), 13, 13);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 9.5), 2.3, 2.3);
        p.drawRoundedRect(QRectF(14, 14, 4, 11), 1, 1);
    } else {
        p.setPen(QPen(kInk, 1.5));
        p.drawRect(QRectF(4, 4, 24, 24));
    }
}

// The two connection pictures: plug and socket, joined or apart.
void drawConnection(QPainter& p, bool joined) {
    const QColor color = joined ? kGreen : kRed;
    const qreal gap = joined ? 0 : 6;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(2, 10, 10 - gap / 2, 12), 2, 2);  // cable end, left
    p.drawRect(QRectF(12 - gap / 2, 12, 4, 2.5));              // prongs
    p.drawRect(QRectF(12 - gap / 2, 17.5, 4, 2.5));
    p.drawRoundedRect(QRectF(16 + gap / 2, 9, 10, 14), 2, 2);  // socket, right
    p.setPen(QPen(color, 2.5));
    p.drawLine(QPointF(0, 16), QPointF(2, 16));
    p.drawLine(QPointF(26 + gap / 2, 16), QPointF(32, 16));
    if (!joined) {
        p.setPen(QPen(kInk, 1.6));
        p.drawLine(QPointF(14, 4), QPointF(18, 0.5));
        p.drawLine(QPointF(14, 28), QPointF(18, 31.5));
    }
}

}  // namespace

QIcon toolbar(CommandId command) {
    return iconFrom([command](QPainter& p) { drawToolbar(p, command); });
}

QPixmap connected(int size, qreal dpr) {
    return render(size, dpr, [](QPainter& p) { drawConnection(p, true); });
}

QPixmap notConnected(int size, qreal dpr) {
    return render(size, dpr, [](QPainter& p) { drawConnection(p, false); });
}

QIcon optionEntry() {
    return iconFrom([](QPainter& p) {
        // a cartridge fuse
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(235, 240, 248));
        p.drawRoundedRect(QRectF(7, 10, 18, 12), 3, 3);
        p.setBrush(kPin);
        p.drawRect(QRectF(3, 11, 4, 10));
        p.drawRect(QRectF(25, 11, 4, 10));
        p.setPen(QPen(kRed, 1.5));
        p.drawLine(QPointF(7, 16), QPointF(25, 16));
    });
}

QPixmap logo(int size, qreal dpr) {
    return render(size, dpr, [](QPainter& p) {
        QLinearGradient back(0, 0, 32, 32);
        back.setColorAt(0, QColor(36, 90, 170));
        back.setColorAt(1, QColor(20, 40, 90));
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
        chip(p, QRectF(9, 6, 14, 20));
        p.setPen(QPen(QColor(255, 214, 40), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        // "K" on the chip
        p.drawLine(QPointF(13, 10), QPointF(13, 22));
        p.drawPolyline(QPolygonF({QPointF(19, 10), QPointF(13.5, 16), QPointF(19, 22)}));
    });
}

QIcon application() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/kelvaro/icons/%1x%1/org.kelvaro.Kelvaro.png").arg(size),
                     QSize(size, size));
    return icon;
}

}  // namespace kv::ui::Icons
