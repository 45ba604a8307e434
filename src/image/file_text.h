#pragma once
#include <QByteArray>
#include <QString>

// Text in the configuration and SIM names files: one byte per character in
// code page 1250. A character the page lacks is stored as '?', as the files'
// readers have always shown it, not as the converter's control character 0x1A.
QByteArray toFileText(const QString& text);
// Every byte has a character, so a text read and saved again keeps its bytes.
QString fromFileText(QByteArrayView bytes);

// A text file written by hand or by another program: UTF-8 when its bytes are
// valid UTF-8 (a byte order mark is dropped), else code page 1250, as the
// Windows tool wrote such files. CR LF line ends become LF.
QString fromForeignText(QByteArrayView bytes);
