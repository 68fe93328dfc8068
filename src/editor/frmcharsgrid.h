#pragma once

#include <QFrame>

class QTableWidget;

// The special characters grid beside the edit view: five columns of characters; a click on one
// hands it to the editor.
class TfrmCharsGrid : public QFrame {
    Q_OBJECT

public:
    static constexpr int ColCount = 5;
    static constexpr int CellSize = 18;
    static constexpr int GridLineWidth = 1;

    explicit TfrmCharsGrid(QWidget* parent = nullptr);

    // Fills the grid from the characters file (its first line), or with the built-in characters
    // when the file is missing, unreadable or gives none.
    void LoadCharsGrid(const QString& fileName);

    QTableWidget* Grid() const { return grd; }

Q_SIGNALS:
    // A cell with a character was clicked.
    void CharClicked(const QString& text);

private:
    void grdMouseUp(const QModelIndex& index);

    QTableWidget* grd = nullptr;
};
