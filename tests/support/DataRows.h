#pragma once

#include <QtTest>

#include <cstddef>

// Table-driven tests with one struct per row: the data function names each row after its
// `name` member and the test function looks its row up again.
template <typename Row, std::size_t N> void addRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << int(i);
}

template <typename Row, std::size_t N> const Row &fetchRow(const Row (&rows)[N])
{
    return rows[*static_cast<int *>(QTest::qData("row", qMetaTypeId<int>()))];
}
