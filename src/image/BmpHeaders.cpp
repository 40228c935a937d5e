#include "image/BmpHeaders.h"

namespace tamr {

BitmapFileHeader ReadFileHeader(ByteReader& reader)
{
    BitmapFileHeader header;
    header.bfType = reader.U16();
    header.bfSize = reader.U32();
    header.bfReserved1 = reader.U16();
    header.bfReserved2 = reader.U16();
    header.bfOffBits = reader.U32();
    return header;
}

void WriteFileHeader(ByteWriter& writer, const BitmapFileHeader& header)
{
    writer.U16(header.bfType);
    writer.U32(header.bfSize);
    writer.U16(header.bfReserved1);
    writer.U16(header.bfReserved2);
    writer.U32(header.bfOffBits);
}

BitmapInfoHeader ReadInfoHeader(ByteReader& reader)
{
    BitmapInfoHeader header;
    header.biSize = reader.U32();
    header.biWidth = reader.I32();
    header.biHeight = reader.I32();
    header.biPlanes = reader.U16();
    header.biBitCount = reader.U16();
    header.biCompression = reader.U32();
    header.biSizeImage = reader.U32();
    header.biXPelsPerMeter = reader.I32();
    header.biYPelsPerMeter = reader.I32();
    header.biClrUsed = reader.U32();
    header.biClrImportant = reader.U32();
    return header;
}

void WriteInfoHeader(ByteWriter& writer, const BitmapInfoHeader& header)
{
    writer.U32(header.biSize);
    writer.I32(header.biWidth);
    writer.I32(header.biHeight);
    writer.U16(header.biPlanes);
    writer.U16(header.biBitCount);
    writer.U32(header.biCompression);
    writer.U32(header.biSizeImage);
    writer.I32(header.biXPelsPerMeter);
    writer.I32(header.biYPelsPerMeter);
    writer.U32(header.biClrUsed);
    writer.U32(header.biClrImportant);
}

BitmapInfoHeader ReadCoreHeader(ByteReader& reader)
{
    BitmapInfoHeader header;
    header.biSize = reader.U32();
    header.biWidth = reader.U16();
    header.biHeight = reader.U16();
    header.biPlanes = reader.U16();
    header.biBitCount = reader.U16();
    return header;
}

RgbQuad ReadRgbQuad(ByteReader& reader)
{
    RgbQuad entry;
    entry.blue = reader.U8();
    entry.green = reader.U8();
    entry.red = reader.U8();
    entry.reserved = reader.U8();
    return entry;
}

RgbQuad ReadRgbTriple(ByteReader& reader)
{
    RgbQuad entry;
    entry.blue = reader.U8();
    entry.green = reader.U8();
    entry.red = reader.U8();
    return entry;
}

void WriteRgbQuad(ByteWriter& writer, const RgbQuad& entry)
{
    writer.U8(entry.blue);
    writer.U8(entry.green);
    writer.U8(entry.red);
    writer.U8(entry.reserved);
}

} // namespace tamr
