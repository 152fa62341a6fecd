#pragma once
// For tests only: puts a reader driver of the test's own in place of the configured one. Only
// CurrentReader.cpp includes it in the program (scripts/check-layers.sh keeps it so).
class ReaderDriver;

// Makes `driver` the one in use; nullptr goes back to the configured one.
void SetReaderDriverForTest(ReaderDriver* driver);
