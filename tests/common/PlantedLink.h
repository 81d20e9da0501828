// The file of the user's that a link planted at the single-instance lock's place points to.
#pragma once

#include "Files.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QTest>

// What the file holds, when the row wants it to exist.
inline const QByteArray LinkTargetContents = "contenu à garder\n";

// Writes the file when `exists`, leaves its place empty otherwise; false when it cannot be written.
inline bool MakeLinkTarget(const QString &target, bool exists)
{
    return !exists || WriteBytes(target, LinkTargetContents);
}

// Fails the test unless taking the lock left the file alone: its contents whole when it existed,
// not made when it did not. Call it last: a failure ends only this function.
inline void CheckLinkTargetKept(const QString &target, bool existed)
{
    if (existed)
        QCOMPARE(BytesOf(target), LinkTargetContents);
    else
        QVERIFY2(!QFileInfo::exists(target), "the lock created the file the link points to");
}
