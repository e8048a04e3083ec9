#include "prismpicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>

namespace setup {

namespace {

constexpr int kWidth = 416;
constexpr int kHeight = 365;
const QPointF kCentre(208, 155);

void drawSkyAndPole(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(150, 196, 235));
    sky.setColorAt(1, QColor(232, 242, 250));
    p.fillRect(QRect(0, 0, kWidth, kHeight), sky);

    QLinearGradient metal(196, 0, 220, 0);
    metal.setColorAt(0, QColor(90, 90, 95));
    metal.setColorAt(0.4, QColor(215, 215, 220));
    metal.setColorAt(1, QColor(80, 80, 85));
    p.fillRect(QRectF(196, 280, 24, kHeight - 280), metal);
}

// The yellow plate with a black rim and four black marks pointing at the prism.
void drawTargetPlate(QPainter& p)
{
    p.setPen(QPen(QColor(20, 20, 20), 6));
    p.setBrush(QColor(245, 196, 0));
    p.drawRoundedRect(QRectF(58, 20, 300, 270), 14, 14);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawPolygon(QPolygonF({{178, 26}, {238, 26}, {208, 64}}));
    p.drawPolygon(QPolygonF({{178, 284}, {238, 284}, {208, 246}}));
    p.drawPolygon(QPolygonF({{64, 125}, {64, 185}, {114, 155}}));
    p.drawPolygon(QPolygonF({{352, 125}, {352, 185}, {302, 155}}));
}

// The round holder: a dark housing ring, a bright bezel and two side screws.
void drawHolder(QPainter& p)
{
    QRadialGradient housing(kCentre, 92);
    housing.setColorAt(0.8, QColor(70, 70, 75));
    housing.setColorAt(1, QColor(25, 25, 28));
    p.setPen(QPen(QColor(10, 10, 10), 2));
    p.setBrush(housing);
    p.drawEllipse(kCentre, 90, 90);

    p.setBrush(QColor(190, 190, 196));
    p.drawEllipse(kCentre, 72, 72);

    p.setBrush(QColor(160, 160, 165));
    for (const double dx : {-82.0, 82.0})
        p.drawEllipse(kCentre + QPointF(dx, 0), 6, 6);
}

// The glass of the corner cube: six facets meeting at the centre, alternately
// lit and shaded, with a reflection across the upper left.
void drawGlass(QPainter& p)
{
    constexpr double radius = 64;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        const double a0 = qDegreesToRadians(60.0 * i - 90), a1 = qDegreesToRadians(60.0 * (i + 1) - 90);
        QPainterPath facet(kCentre);
        facet.arcTo(QRectF(kCentre.x() - radius, kCentre.y() - radius, 2 * radius, 2 * radius),
                    -qRadiansToDegrees(a0), -60);
        facet.closeSubpath();
        QLinearGradient shade(kCentre, kCentre + QPointF(radius * std::cos((a0 + a1) / 2),
                                                        radius * std::sin((a0 + a1) / 2)));
        shade.setColorAt(0, i % 2 ? QColor(20, 60, 90) : QColor(40, 110, 150));
        shade.setColorAt(1, i % 2 ? QColor(5, 25, 45) : QColor(15, 60, 95));
        p.setBrush(shade);
        p.drawPath(facet);
    }
    p.setPen(QPen(QColor(170, 210, 230, 200), 1.5));
    for (int i = 0; i < 3; ++i) {
        const double a = qDegreesToRadians(60.0 * i - 90);
        const QPointF edge(radius * std::cos(a), radius * std::sin(a));
        p.drawLine(kCentre - edge, kCentre + edge);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QRectF(kCentre.x() - 50, kCentre.y() - 52, 54, 30));
}

}  // namespace

QImage prismPicture()
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSkyAndPole(painter);
    drawTargetPlate(painter);
    drawHolder(painter);
    drawGlass(painter);
    painter.end();
    return picture.convertToFormat(QImage::Format_RGB888);
}

}  // namespace setup
