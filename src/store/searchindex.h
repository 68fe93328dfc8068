#pragma once

#include "store/foldersearch.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// What the index tells a search: the notes it must read to know whether they hold the text,
// and those whose names hold it. Every other note below the search's folder holds the text
// neither in its name nor in its content.
struct TIndexAnswer {
    QStringList Read;
    QStringList NameHits;
    // The notes a search reads (TFolderSearch::SetCandidates).
    QStringList Candidates() const { return Read + NameHits; }
};

// The search index of the open data directory, kept in the user's cache folder (never in the
// store, which other users share): for every note its size and time, and the pairs of
// characters it holds. It is built and kept up to date in the background at the lowest
// priority. Changes other programs and other users make are followed through the kernel's
// notifications where the file system gives them; elsewhere every search compares sizes and
// times first. A damaged index is made anew; an index that cannot answer leaves the search to
// read every note.
class TSearchIndex : public QObject {
    Q_OBJECT

public:
    // cacheDir: the folder the index files live in.
    explicit TSearchIndex(const QString& cacheDir, QObject* parent = nullptr);
    ~TSearchIndex() override;

    // Starts following root and bringing its index up to date; an empty root closes it.
    void Open(const QString& root);
    void Close();
    const QString& Root() const { return FRoot; }
    // The index file of a data directory.
    QString FileFor(const QString& root) const;
    // The index can answer searches below its root.
    bool Ready() const;
    // Changes are told by the kernel (false: sizes and times are compared at every search).
    bool Watching() const;
    // Tests and the benchmark: changes are found by comparing sizes and times, as on a network
    // share. Takes effect at the next Open.
    void SetWatchChanges(bool watch) { FWatchChanges = watch; }

    // Takes in the changes the kernel told since it was last asked; before a search starts.
    void Sync();
    // What a search below searchRoot for text (as FoldSearchText gives it) must read; none when
    // the index cannot answer. Safe from any thread.
    std::optional<TIndexAnswer> Answer(const QString& searchRoot, const QString& text) const;
    // Answer for a search thread: stays valid when the index is closed or opened on another data
    // directory meanwhile (it then answers from what it held).
    using TAsker =
        std::function<std::optional<TIndexAnswer>(const QString& searchRoot, const QString& text)>;
    TAsker Asker() const;

protected:
    // Keys and clicks anywhere in the program hold the building back until the user pauses.
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // The index became able (or unable) to answer.
    void ReadyChanged(bool ready);

private:
    struct TShared;
    class TBuilder;
    static std::optional<TIndexAnswer> AnswerFrom(const std::shared_ptr<TShared>& shared,
                                                  const QString& searchRoot, const QString& text);
    void StopBuilder();

    QString FCacheDir;
    QString FRoot;
    bool FWatchChanges = true;
    std::shared_ptr<TShared> FShared;
    QThread* FThread = nullptr;
    TBuilder* FBuilder = nullptr;
};
