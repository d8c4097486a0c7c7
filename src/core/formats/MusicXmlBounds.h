#pragma once
// What the MusicXML container, reader and writer share: the one failure, and the check on
// a document's tags before QXmlStreamReader sees them.
#include <QByteArray>
#include <QString>

namespace MusicXmlDetail {

// Raises the one message that names the file and the problem.
[[noreturn]] void Fail(const QString& file, const QString& what);

// What is wrong with the document's tags (too many attributes, a tag too long), or nothing.
QString TagProblem(const QByteArray& bytes);

}
