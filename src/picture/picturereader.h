#pragma once
// Reads a puzzle from a picture: the cell finder's letters read one by one
// by tesseract with Japanese (tesseract-ocr-jpn), limited to the kanji the
// dictionary can answer. The engine is loaded when the first reader is
// made, never at start-up. QtGui for QImage; no widgets.
#include "search/puzzle.h"

#include <QImage>
#include <QString>

#include <memory>

class DictionaryStore;

namespace picture {

enum class PictureError {
    None,
    NoPuzzle,        // no letters found round a centre
    TooFewLetters,   // fewer than two
    TooManyLetters,  // more than six
    TooLarge,        // over kMaxPicturePixels
    Unreadable,      // missing, not a picture, corrupt or truncated
    EngineMissing,   // tesseract's Japanese data (tesseract-ocr-jpn) not installed
};

// Pictures with more pixels are refused before they are decoded.
inline constexpr qint64 kMaxPicturePixels = 40'000'000;

struct PictureResult {
    PictureError error = PictureError::None;
    QString message;     // Japanese, for the player; empty when the puzzle was read
    Puzzle puzzle;       // letters clockwise from the top, box 0 first
    int lettersRead = 0; // cells found, the doubtful ones included
    int arrowsRead = 0;
    bool ok() const { return error == PictureError::None; }
};

// The message shown for error (the same text PictureResult carries).
QString errorMessage(PictureError error);

// A picture file decoded safely: its size checked from the header before
// any pixel is decoded, a decoder allocation limit set, and a corrupt or
// truncated file refused. On failure the image is null and error says why.
struct LoadedPicture {
    QImage image;
    PictureError error = PictureError::None;
    QString message;
};
LoadedPicture loadPicture(const QString &path);
// The same for a picture held in memory (a clipboard's PNG, a fuzz input).
LoadedPicture loadPicture(const QByteArray &data);

// The letters a reader may answer: the heads of the dictionary's lines,
// the only kanji a search can find partners for.
QString allowedLetters(const DictionaryStore &dictionary);

class PictureReader
{
public:
    // allowed: the letters the reader may answer (the dictionary's heads);
    // anything else it sees is read as its nearest allowed look-alike, or
    // left doubtful. dataPath: tesseract's tessdata folder, empty for its
    // default (TESSDATA_PREFIX or Debian's).
    explicit PictureReader(const QString &allowed, const QString &dataPath = {});
    ~PictureReader();
    PictureReader(const PictureReader &) = delete;
    PictureReader &operator=(const PictureReader &) = delete;

    // Whether the engine and its Japanese data are there; else why not.
    static bool engineAvailable(QString *why = nullptr, const QString &dataPath = {});
    // Whether the engine started (false: read() answers EngineMissing).
    bool loaded() const;
    // The allowed letters the engine's model has no output for: a picture of
    // one is read, if at all, as some other kanji.
    QString lackingLetters() const;

    PictureResult read(const QImage &image);

private:
    // Whether the letter read as read looks about as much like a kanji
    // the model cannot output, or more.
    bool looksLacking(const QImage &glyph, QChar read);
    struct Engine;
    std::unique_ptr<Engine> m_engine;
    QString m_allowed;
    QString m_lacking;
    float m_sure = 0;   // the confidence a letter needs not to be doubtful
    QString m_loadError;
};

} // namespace picture
