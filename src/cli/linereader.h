#pragma once

#include <optional>

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Lines from a file descriptor (a pipe, a terminal, a file) as they arrive, read no further
// ahead than the caller asks: memory stays small whatever the input. Nothing blocks; the
// descriptor is read when the event loop says it is readable.
class LineReader : public QObject
{
    Q_OBJECT
public:
    // A longer line is cut here and the rest of it skipped.
    static constexpr qsizetype maxLineBytes = 1024;

    struct Line
    {
        qint64 number = 0; // counted from 1
        QByteArray text; // without its line end (LF or CRLF)
        bool cut = false; // longer than maxLineBytes
    };

    explicit LineReader(int fd, QObject *parent = nullptr);
    ~LineReader() override;

    // The next line read in full, or the last one at the end of the input; none when more
    // has to be read first.
    std::optional<Line> next();
    // Reads on when the descriptor has more: linesReady() or failed() follows.
    void readMore();
    // The input has ended (or failed) and every line has been taken.
    bool atEnd() const { return m_ended && m_buffer.isEmpty(); }
    // Reads nothing more.
    void stop();

signals:
    void linesReady();
    // A read error; the input counts as ended.
    void failed(const QString &error);

private:
    void onReadable();

    int m_fd;
    QSocketNotifier *m_notifier;
    QByteArray m_buffer;
    qint64 m_lineNumber = 0;
    bool m_skippingRest = false;
    bool m_ended = false;
};
