// The compiled half of the Python module tamr: numpy arrays and bytes in and
// out of ModuleCalls, the interpreter's lock released while the core works,
// and every failure raised as tamr.Error with the core's message.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>
#include <stdexcept>

#include "python/ModuleCalls.h"

namespace py = pybind11;

namespace tamr {
namespace {

struct TamrError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename T> T Take(Outcome<T>&& outcome)
{
    if (!outcome.value)
        throw TamrError(outcome.problem);
    return std::move(*outcome.value);
}

using ByteArray = py::array_t<std::uint8_t, py::array::c_style>;

// An array of bytes, H x W x 3 or H x W; anything else is refused with the
// sizes tamr takes (the rows are then empty, which the core refuses).
RowsView RowsOf(const ByteArray& array)
{
    const bool colour = array.ndim() == 3 && array.shape(2) == 3;
    if (!colour && array.ndim() != 2)
        return {};
    return {std::span(array.data(), static_cast<std::size_t>(array.size())), static_cast<int>(array.shape(1)),
            static_cast<int>(array.shape(0)), colour ? 3 : 1};
}

ByteArray Contiguous(const py::array& array)
{
    if (!py::dtype::of<std::uint8_t>().is(array.dtype()))
        throw py::type_error("tamr takes arrays of uint8, not " + std::string(py::str(array.dtype())));
    return ByteArray::ensure(array);
}

py::array ArrayOf(const PlainPicture& picture)
{
    std::vector<py::ssize_t> shape{picture.height, picture.width};
    if (picture.channels == 3)
        shape.push_back(3);
    ByteArray array(shape);
    std::memcpy(array.mutable_data(), picture.samples.data(), picture.samples.size());
    return array;
}

std::span<const std::uint8_t> BytesOf(const py::buffer_info& info)
{
    return {static_cast<const std::uint8_t*>(info.ptr), static_cast<std::size_t>(info.size * info.itemsize)};
}

py::bytes Compress(const py::array& array, int quality, const std::map<std::string, std::string>& raw, int threads)
{
    const ByteArray rows = Contiguous(array);
    CodecOptions options;
    options.quality = quality;
    options.threads = threads;
    const std::pair<const char*, std::optional<std::string>*> names[] = {
        {"levels", &options.levels},  {"quant_a", &options.quantA},      {"quant_b", &options.quantB},
        {"quant_c", &options.quantC}, {"threshold", &options.threshold}, {"discard", &options.discard},
        {"sample", &options.sample}};
    for (const auto& [name, value] : raw) {
        const auto* known = std::find_if(std::begin(names), std::end(names),
                                         [&name = name](const auto& entry) { return name == entry.first; });
        if (known == std::end(names))
            throw py::type_error("compress() got an unexpected raw setting '" + name + "'");
        *known->second = value;
    }
    const RowsView view = RowsOf(rows);
    Outcome<std::vector<std::uint8_t>> coded;
    {
        const py::gil_scoped_release unlocked;
        coded = CompressRows(view, options);
    }
    const auto file = Take(std::move(coded));
    return {reinterpret_cast<const char*>(file.data()), file.size()};
}

py::array Decompress(const py::buffer& file)
{
    const py::buffer_info info = file.request();
    Outcome<PlainPicture> picture;
    {
        const py::gil_scoped_release unlocked;
        picture = DecompressCod(BytesOf(info));
    }
    return ArrayOf(Take(std::move(picture)));
}

py::tuple Header(const py::buffer& file)
{
    const PlainPicture picture = Take(CodHeader(BytesOf(file.request())));
    return py::make_tuple(picture.width, picture.height, picture.channels);
}

py::array Read(const std::string& path)
{
    Outcome<PlainPicture> picture;
    {
        const py::gil_scoped_release unlocked;
        picture = ReadPictureFile(path);
    }
    return ArrayOf(Take(std::move(picture)));
}

std::string Compare(const py::array& first, const py::array& second, const std::string& metrics)
{
    const ByteArray a = Contiguous(first);
    const ByteArray b = Contiguous(second);
    const RowsView viewA = RowsOf(a);
    const RowsView viewB = RowsOf(b);
    const py::gil_scoped_release unlocked;
    return Take(CompareRows(viewA, viewB, metrics));
}

std::string Sweep(const std::string& picture, const std::string& qualities, const std::string& peers,
                  const std::string& metrics, int threads)
{
    const py::gil_scoped_release unlocked;
    return Take(SweepPicture(SweepCall{picture, qualities, peers, metrics, threads}));
}

EvaluateCall EvaluateCallOf(const std::vector<std::string>& pictures, const std::string& codecs,
                            const std::string& qualities, const std::string& metrics, const std::string& anchor,
                            const std::string& bdMethod, int threads)
{
    return EvaluateCall{pictures, codecs, qualities, metrics, anchor, bdMethod, threads};
}

std::vector<RatePoint> CurveOf(const std::vector<std::pair<double, double>>& points)
{
    std::vector<RatePoint> curve;
    curve.reserve(points.size());
    for (const auto& [rate, quality] : points)
        curve.push_back({rate, quality});
    return curve;
}

} // namespace
} // namespace tamr

PYBIND11_MODULE(_tamr, module)
{
    using namespace tamr;
    module.doc() = "tamr's core: the codec, the readers, the figures and the evaluation";
    py::register_exception<TamrError>(module, "Error");
    module.attr("version") = TAMR_VERSION;
    module.def("compress", &Compress, py::arg("array"), py::arg("quality"), py::arg("raw"), py::arg("threads"));
    module.def("decompress", &Decompress, py::arg("data"));
    module.def("cod_header", &Header, py::arg("data"));
    module.def("read", &Read, py::arg("path"));
    module.def("compare", &Compare, py::arg("a"), py::arg("b"), py::arg("metrics"));
    module.def("sweep", &Sweep, py::arg("picture"), py::arg("qualities"), py::arg("peers"), py::arg("metrics"),
               py::arg("threads"));
    module.def("list_pictures",
               [](const std::vector<std::string>& names) { return Take(ListEvaluationPictures(names)); });
    module.def("check_evaluation",
               [](const std::vector<std::string>& pictures, const std::string& codecs, const std::string& qualities,
                  const std::string& metrics, const std::string& anchor, const std::string& bdMethod) {
                   const std::string problem =
                       EvaluateCallProblem(EvaluateCallOf(pictures, codecs, qualities, metrics, anchor, bdMethod, 0));
                   if (!problem.empty())
                       throw TamrError(problem);
               });
    module.def("evaluate_shard", [](const std::vector<std::string>& pictures, const std::string& codecs,
                                    const std::string& qualities, const std::string& metrics, const std::string& anchor,
                                    int threads, std::size_t shard, std::size_t shards) {
        EvaluateCall call = EvaluateCallOf(pictures, codecs, qualities, metrics, anchor, "akima", threads);
        call.shard = shard;
        call.shards = shards;
        const py::gil_scoped_release unlocked;
        return Take(EvaluateShard(call));
    });
    module.def("evaluation_report",
               [](const std::vector<std::string>& records, const std::string& anchor, const std::string& bdMethod) {
                   const py::gil_scoped_release unlocked;
                   return Take(EvaluationReportOf(records, anchor, bdMethod));
               });
    module.def("bd_rate", [](const std::vector<std::pair<double, double>>& anchor,
                             const std::vector<std::pair<double, double>>& test, const std::string& method) {
        return Take(BdRateOf(CurveOf(anchor), CurveOf(test), method));
    });
}
