#pragma once

#include <QWidget>

// A caption on a see-through panel: centred by Alignment on one line when CapX < 0, else at
// (CapX + 1, CapY + 1).
class TzqCBox : public QWidget {
    Q_OBJECT

public:
    explicit TzqCBox(QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // Horizontal placement when centred: left, centre or right; always centred vertically.
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment alignment);
    int CapX() const { return FCapX; }
    int CapY() const { return FCapY; }
    void SetCapX(int x);
    void SetCapY(int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void DrawCaption(QPainter& painter) const;

private:
    QString FCaption;
    Qt::Alignment FAlignment = Qt::AlignHCenter;
    int FCapX = -1;
    int FCapY = -1;
};
