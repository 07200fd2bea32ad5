#pragma once
// Image files in formats whose rows may run from the top down, written byte by byte: four by
// four pixels, the top two rows red and the bottom two blue.
#include <cstdint>
#include <string>

enum class TopDown { dds, dxt1, tga, bmp };

inline void appendLittleEndian(std::string& bytes, uint32_t value, int size = 4) {
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

inline std::string topRedImage(TopDown kind) {
    std::string rows; // top row first, blue green red alpha
    for (int pixel = 0; pixel < 16; ++pixel) {
        appendLittleEndian(rows, pixel < 8 ? 0xffff0000u : 0xff0000ffu);
    }
    std::string file;
    if (kind == TopDown::dds || kind == TopDown::dxt1) {
        const bool dxt1 = kind == TopDown::dxt1;
        file = "DDS ";
        for (uint32_t word : {124u, 0x100fu, 4u, 4u, dxt1 ? 8u : 16u, 0u, 0u}) {
            appendLittleEndian(file, word);
        }
        file.append(44, '\0');
        const uint32_t compressed[] = {32u, 4u, 0x31545844u, 0u, 0u, 0u, 0u, 0u, 0x1000u};
        const uint32_t plain[] = {32u,     0x41u, 0u,          32u,    0xff0000u,
                                  0xff00u, 0xffu, 0xff000000u, 0x1000u};
        for (uint32_t word : dxt1 ? compressed : plain) {
            appendLittleEndian(file, word);
        }
        file.append(16, '\0');
        // One block: colour 0 red, colour 1 blue, the top two rows of colour 0.
        return file + (dxt1 ? std::string("\x00\xf8\x1f\x00\x00\x00\x55\x55", 8) : rows);
    }
    if (kind == TopDown::tga) {
        file = std::string("\0\0\2\0\0\0\0\0\0\0\0\0", 12);
        appendLittleEndian(file, 4, 2);
        appendLittleEndian(file, 4, 2);
        return file + "\x20\x28" + rows; // 32 bits, origin at the top left
    }
    file = "BM";
    for (uint32_t word : {54u + 64u, 0u, 54u, 40u, 4u, static_cast<uint32_t>(-4), 0x200001u, 0u,
                          64u, 0u, 0u, 0u, 0u}) {
        appendLittleEndian(file, word);
    }
    return file + rows;
}
