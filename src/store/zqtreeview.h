#pragma once

#include <QTreeView>

class TzqTree;

// The tree control: shows the tree's model and hands every mouse and key event to the tree's
// rules after (or instead of) its own handling.
class TzqTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TzqTreeView(TzqTree* tree, QWidget* parent = nullptr);

    TzqTree* Tree() const { return FTree; }

    // The label of a node begins right of its icon's left edge; left of it is the expand
    // button.
    bool IsOnLabel(const QModelIndex& index, const QPoint& pos) const;

    // The user is moving through the tree with the keyboard: the page shown must not take the
    // focus away from it.
    bool KeyboardNavigating() const { return FKeyboardNavigating && hasFocus(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void StartNodeDrag();

    TzqTree* FTree;
    bool FSyncingExpansion = false;
    bool FKeyboardNavigating = false;
};
