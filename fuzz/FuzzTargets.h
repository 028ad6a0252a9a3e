#pragma once

// The fuzz targets, one per file parser. Each takes one input and returns 0; a fault aborts.
#include <cstddef>
#include <cstdint>

int FuzzTagReader(const uint8_t* data, size_t size);
int FuzzBookmarkSection(const uint8_t* data, size_t size);
int FuzzSaveBookmarks(const uint8_t* data, size_t size);
int FuzzCabinet(const uint8_t* data, size_t size);
int FuzzVdlOpen(const uint8_t* data, size_t size);
int FuzzPackage(const uint8_t* data, size_t size);
int FuzzMetadataSection(const uint8_t* data, size_t size);
