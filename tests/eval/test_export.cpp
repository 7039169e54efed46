// The exports, read back by standard readers: GPX by gpxpy, KML by an XML
// parser, CSV by splitting; each gives back the recorded points.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "eval/Export.h"

namespace fs = std::filesystem;

namespace {

const std::string Python = LUMAROKUB_PYTHON;

std::vector<Epoch> Track() {
    std::vector<Epoch> epochs;
    // What the recording holds of a cycle before the receiver's first full
    // one: a fix mode, no time, no position, no dilutions.
    Epoch partial;
    partial.Fix = EpochFix::Fix3D;
    epochs.push_back(partial);
    for (int i = 0; i < 5; ++i) {
        Epoch e;
        e.HostMs = 1000u * i;
        e.UtcMs = 36000000u + 250u * i;  // 10:00:00.000, .250, ...
        e.Date = (26u << 16) | (12u << 8) | 9u;
        e.Fix = i == 4 ? EpochFix::Fix2D : EpochFix::Fix3D;
        e.HasPosition = i != 2;  // one epoch without a position
        e.HasAltitude = i != 4;
        e.Latitude = -33.85678 + i * 1e-5;
        e.Longitude = 151.21529 - i * 1e-5;
        e.Altitude = 58.5 + i;
        e.Hdop = 0.9;
        e.Pdop = 1.8;
        e.Vdop = i == 4 ? 0 : 1.5;  // a 2D fix reports no vertical dilution
        e.UsedCount = 10 + i;
        e.Solution = i == 1 ? RtkFix::Float : i == 3 ? RtkFix::Fixed : RtkFix::Fix3D;
        e.CorrectionAge = i == 1 ? 1.5 : i == 3 ? 0.5 : -1;
        epochs.push_back(e);
    }
    return epochs;
}

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char chunk[256];
        while (size_t n = fread(chunk, 1, sizeof chunk, p)) out.append(chunk, n);
        pclose(p);
    }
    return out;
}

class Export : public testing::Test {
  protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("lumarokub-export-" + std::to_string(getpid()));
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }
    std::string Write(const std::string& name, void (*exporter)(const EpochRange&, std::ostream&)) {
        const std::string path = (Dir / name).string();
        std::ofstream out(path);
        const std::vector<Epoch> epochs = Track();
        exporter(RangeOf(epochs), out);
        return path;
    }
    fs::path Dir;
};

// The points with a position: latitude, longitude, elevation (or "None").
const char* const Expected =
    "-33.85678000 151.21529000 58.500 2026-12-09T10:00:00Z 3d 10 None []\n"
    "-33.85677000 151.21528000 59.500 2026-12-09T10:00:00.250000Z dgps 11 1.5 ['rtk-float']\n"
    "-33.85675000 151.21526000 61.500 2026-12-09T10:00:00.750000Z dgps 13 0.5 ['rtk-fixed']\n"
    "-33.85674000 151.21525000 None 2026-12-09T10:00:01Z 2d 14 None []\n";

TEST_F(Export, GpxReadsBackWithGpxpy) {
    const std::string path = Write("track.gpx", ExportGpx);
    if (Output(Python + " -c 'import gpxpy' 2>&1 && echo ok").find("ok") == std::string::npos)
        GTEST_SKIP() << "python3-gpxpy is not installed";
    const std::string script =
        "import gpxpy,sys\n"
        "g=gpxpy.parse(open(sys.argv[1]))\n"
        "for p in g.tracks[0].segments[0].points:\n"
        " e='None' if p.elevation is None else '%.3f'%p.elevation\n"
        " t=p.time.isoformat().replace('+00:00','Z')\n"
        " print('%.8f %.8f %s %s %s %s %s %s'%(p.latitude,p.longitude,e,t,p.type_of_gpx_fix,"
        "p.satellites,p.age_of_dgps_data,[x.text for x in p.extensions]))\n";
    std::ofstream(Dir / "read.py") << script;
    EXPECT_EQ(Output(Python + " " + (Dir / "read.py").string() + " " + path + " 2>&1"), Expected);
}

TEST_F(Export, KmlReadsBackWithAnXmlParser) {
    const std::string path = Write("track.kml", ExportKml);
    const std::string script =
        "import sys,xml.etree.ElementTree as E\n"
        "n={'k':'http://www.opengis.net/kml/2.2'}\n"
        "c=E.parse(sys.argv[1]).getroot().find('.//k:LineString/k:coordinates',n).text.split()\n"
        "for p in c:\n"
        " lon,lat,alt=p.split(',')\n"
        " print(lat,lon,alt)\n";
    std::ofstream(Dir / "read.py") << script;
    EXPECT_EQ(Output(Python + " " + (Dir / "read.py").string() + " " + path + " 2>&1"),
              "-33.85678000 151.21529000 58.500\n-33.85677000 151.21528000 59.500\n"
              "-33.85675000 151.21526000 61.500\n-33.85674000 151.21525000 0.000\n");
}

TEST_F(Export, CsvHasOneRowPerEpochUnderItsHeader) {
    std::ifstream in(Write("track.csv", ExportCsv));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::stringstream s(line);
        for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.emplace_back();
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), 6u) << "the epoch with no time and no position is left out";
    ASSERT_EQ(rows[0].size(), 16u);
    EXPECT_EQ(rows[0][4], "latitude");
    EXPECT_EQ(rows[0][14], "solution");
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i].size(), 16u) << i;
    EXPECT_EQ(rows[2][14], "rtk-float");
    EXPECT_EQ(rows[2][15], "1.5");
    EXPECT_EQ(rows[4][14], "rtk-fixed");
    EXPECT_EQ(rows[1][14], "3d");
    EXPECT_EQ(rows[1][15], "") << "no corrections, no age";
    EXPECT_EQ(rows[2][1], "2026-12-09T10:00:00.250Z");
    EXPECT_EQ(rows[2][4], "-33.85677000");
    EXPECT_EQ(rows[3][4], "") << "no position, no coordinates";
    EXPECT_EQ(rows[5][2], "2d");
    EXPECT_EQ(rows[5][6], "") << "no altitude";
    EXPECT_EQ(rows[5][12], "14");
    EXPECT_EQ(rows[1][11], "1.50");
    EXPECT_EQ(rows[5][11], "") << "no vertical dilution reported";
}

}  // namespace
