#pragma once

#include <QLayout>
#include <QList>

// Lays its widgets out in rows, left to right, and starts a new row where the width ends: the
// editing toolbars stay whole in a narrow window.
class TzqFlowLayout : public QLayout {
    Q_OBJECT

public:
    explicit TzqFlowLayout(QWidget* parent = nullptr, int spacing = 2);
    ~TzqFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(FItems.size()); }
    QLayoutItem* itemAt(int index) const override { return FItems.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // The height the rows take in rect; places the items when apply is set.
    int Arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> FItems;
};
