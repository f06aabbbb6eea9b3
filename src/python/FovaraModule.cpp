// The Python module `fovara`: NumPy arrays and Python values in and out of the scripting
// facade. The GIL is let go while the core works; a render's progress callback and Ctrl+C
// take it back briefly.

#include <chrono>
#include <exception>
#include <utility>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "FovaraVersion.h"
#include "python/ScriptFacade.h"

namespace py = pybind11;

namespace {

// --- Arrays ---

template <typename T>
py::array ArrayOf(std::vector<T>&& values, std::vector<py::ssize_t> shape) {
  auto* owner = new std::vector<T>(std::move(values));
  py::capsule release(owner, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(std::move(shape), owner->data(), release);
}

// A height x width plane (or height x width x 1) of T, as a C-ordered array; checks its size
// against the frame.
template <typename T>
py::array_t<T, py::array::c_style> PlaneOf(const py::handle& values, const char* name, int height, int width) {
  auto array = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(values);
  if (!array) throw py::type_error(std::string(name) + " must be an array of numbers");
  bool planeShape = (array.ndim() == 2 || (array.ndim() == 3 && array.shape(2) == 1)) && array.shape(0) == height &&
                    array.shape(1) == width;
  if (!planeShape) throw py::value_error(std::string(name) + " must be height x width, as the colour is");
  return array;
}

template <typename T>
void CopyInto(std::vector<T>& values, const py::array_t<T, py::array::c_style>& array) {
  if (array) values.assign(array.data(), array.data() + array.size());
}

void RequireBytes(const py::handle& values, const char* name) {
  if (!py::isinstance<py::array_t<uint8_t>>(values)) {
    throw py::type_error(std::string(name) + " must be a uint8 array (0 to 255), as read_frame gives it");
  }
}

FramePixels FrameOf(const py::array& colour, const py::object& alpha, const py::object& depth) {
  RequireBytes(colour, "colour");
  if (colour.ndim() != 3 || colour.shape(2) != 3) throw py::value_error("colour must be height x width x 3 (RGB)");
  FramePixels frame;
  frame.height = int(colour.shape(0));
  frame.width = int(colour.shape(1));
  auto rgb = py::array_t<uint8_t, py::array::c_style>::ensure(colour);
  py::array_t<uint8_t, py::array::c_style> alphaPlane;
  py::array_t<float, py::array::c_style> depthPlane;
  if (!alpha.is_none()) {
    RequireBytes(alpha, "alpha");
    alphaPlane = PlaneOf<uint8_t>(alpha, "alpha", frame.height, frame.width);
  }
  if (!depth.is_none()) depthPlane = PlaneOf<float>(depth, "depth", frame.height, frame.width);
  // The arrays stay alive here: their pixels are copied while other Python threads run.
  py::gil_scoped_release release;
  CopyInto(frame.colour, rgb);
  CopyInto(frame.alpha, alphaPlane);
  CopyInto(frame.depth, depthPlane);
  return frame;
}

py::object OptionalArray(std::vector<uint8_t>&& values, py::ssize_t height, py::ssize_t width) {
  if (values.empty()) return py::none();
  return ArrayOf(std::move(values), {height, width});
}

// (colour, alpha or None, depth or None)
py::tuple ArraysOf(FramePixels&& frame) {
  py::ssize_t h = frame.height, w = frame.width;
  py::object depth = py::none();
  if (!frame.depth.empty()) depth = ArrayOf(std::move(frame.depth), {h, w});
  return py::make_tuple(ArrayOf(std::move(frame.colour), {h, w, 3}), OptionalArray(std::move(frame.alpha), h, w),
                        depth);
}

// --- Records ---

RecordValue ValueOf(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::hasattr(value, "__index__")) return py::int_(py::reinterpret_borrow<py::object>(value)).cast<long long>();
  if (py::hasattr(value, "__float__")) return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
  throw py::type_error("record values are numbers, booleans or strings");
}

// A dict and keyword arguments, the keywords last.
Record RecordOf(const py::object& values, const py::kwargs& keys) {
  Record record;
  if (!values.is_none()) {
    for (auto item : py::dict(values)) record.emplace_back(py::str(item.first), ValueOf(item.second));
  }
  for (auto item : keys) record.emplace_back(py::str(item.first), ValueOf(item.second));
  return record;
}

py::dict DictOf(const Record& record) {
  py::dict dict;
  for (const auto& [key, value] : record) dict[py::str(key)] = py::cast(value);
  return dict;
}

// --- Following a render ---

// The Python side of a render: the progress callback, Ctrl+C, and what either raised.
class PythonControl {
 public:
  PythonControl(py::object progress, int threads) : progress_(std::move(progress)), threads_(threads) {}

  RenderControl Control() {
    RenderControl control;
    control.threads = threads_;
    control.onFrame = [this](int index, int count, const std::string& file, bool kept) {
      return OnFrame(index, count, file, kept);
    };
    control.shouldStop = [this] { return Poll(); };
    return control;
  }

  // With the GIL held, after the render: what the callback or Ctrl+C raised, raised again.
  void RaisePending() const {
    if (pending_) std::rethrow_exception(pending_);
  }

 private:
  bool OnFrame(int index, int count, const std::string& file, bool kept) {
    if (stopped_) return false;
    if (progress_.is_none()) return true;
    py::gil_scoped_acquire gil;
    try {
      py::object answer = progress_(index, count, file, kept);
      // None goes on, as a callback that returns nothing; anything false stops.
      if (!answer.is_none() && !PyObject_IsTrue(answer.ptr())) stopped_ = true;
    } catch (py::error_already_set&) {
      pending_ = std::current_exception();
      stopped_ = true;
    }
    return !stopped_;
  }

  // Ctrl+C reaches Python's handler only when asked; the GIL is taken for that a few times a
  // second at most, so that other Python threads are hardly held up.
  bool Poll() {
    if (stopped_) return true;
    auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ < std::chrono::milliseconds(50)) return false;
    lastPoll_ = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) {
      pending_ = std::make_exception_ptr(py::error_already_set());
      stopped_ = true;
    }
    return stopped_;
  }

  py::object progress_;
  int threads_;
  bool stopped_ = false;
  std::exception_ptr pending_;
  std::chrono::steady_clock::time_point lastPoll_{};
};

// Runs work without the GIL; a pending Python exception wins over the facade's error.
template <typename Work>
auto Followed(PythonControl& control, Work&& work) {
  std::exception_ptr error;
  decltype(work()) result{};
  {
    py::gil_scoped_release release;
    try {
      result = work();
    } catch (...) {
      error = std::current_exception();
    }
  }
  control.RaisePending();
  if (error) std::rethrow_exception(error);
  return result;
}

// Paths as str or os.PathLike, names as str; None is "".
std::string OptionalText(const py::object& value) {
  if (value.is_none()) return {};
  return py::str(py::module_::import("os").attr("fspath")(value)).cast<std::string>();
}

// --- Projects ---

// Projects are destroyed without the GIL: closing one waits for any call running in the core.
struct DeleteWithoutGil {
  void operator()(ScriptProject* project) const {
    py::gil_scoped_release release;
    delete project;
  }
};
using ProjectHolder = std::unique_ptr<ScriptProject, DeleteWithoutGil>;

std::optional<std::pair<int, int>> FramesOf(const py::object& frames) {
  if (frames.is_none()) return std::nullopt;
  if (py::isinstance<py::int_>(frames)) {
    int frame = frames.cast<int>();
    return std::make_pair(frame, frame);
  }
  auto pair = frames.cast<std::pair<int, int>>();
  return pair;
}

py::object RenderProject(ScriptProject& project, const py::object& frames, const py::object& output,
                         const py::object& format, bool skipExisting, const std::string& compression, int threads,
                         const py::object& progress) {
  RenderRequest request;
  request.frames = FramesOf(frames);
  request.output = OptionalText(output);
  request.format = OptionalText(format);
  request.skipExisting = skipExisting;
  request.compression = compression;
  PythonControl control(progress, threads);
  RenderControl followed = control.Control();
  return py::cast(Followed(control, [&] { return project.Render(request, followed); }));
}

}  // namespace

PYBIND11_MODULE(fovara, m) {
  m.doc() = "Fovara: depth-driven post-processing of rendered images (depth of field, Z Saturation, "
            "Z Luminance, Z Hue, atmospheric perspective), as fovara-render does it.";
  m.attr("__version__") = kFovaraVersion;
  m.attr("FILTERS") = py::tuple(py::cast(FilterNames()));
  py::register_exception<ScriptError>(m, "Error", PyExc_RuntimeError);

  m.def(
      "read_frame",
      [](const py::object& image, const py::object& depth, const py::object& view) {
        std::string imageFile = OptionalText(image), depthFile = OptionalText(depth), viewName = OptionalText(view);
        FramePixels frame;
        {
          py::gil_scoped_release release;
          frame = ReadFrame(imageFile, depthFile, viewName);
        }
        return ArraysOf(std::move(frame));
      },
      py::arg("image"), py::arg("depth") = py::none(), py::arg("view") = py::none(),
      "Reads a frame as a project does: (colour, alpha, depth). colour is height x width x 3 uint8, "
      "premultiplied by alpha; alpha is height x width uint8 or None; depth is height x width float32, "
      "larger is farther, background at the farthest depth. The depth file is found beside the image "
      "by its name unless one is given; view picks a view of a stereo image.");

  m.def(
      "render",
      [](const py::array& colour, const py::object& depth, const std::string& filter, const py::object& settings,
         const py::object& options, const py::object& alpha, int threads) {
        if (depth.is_none()) throw py::value_error("the filters need the frame's depth");
        FramePixels frame = FrameOf(colour, alpha, depth);
        Record settingsRecord = RecordOf(settings, {});
        Record optionsRecord = RecordOf(options, {});
        PythonControl control(py::none(), threads);
        RenderControl followed = control.Control();
        FramePixels result = Followed(control, [&] {
          return RenderFrame(std::move(frame), filter, settingsRecord, optionsRecord, followed);
        });
        py::tuple arrays = ArraysOf(std::move(result));
        return py::make_tuple(arrays[0], arrays[1]);
      },
      py::arg("colour"), py::arg("depth"), py::arg("filter") = "dof", py::arg("settings") = py::none(),
      py::arg("options") = py::none(), py::arg("alpha") = py::none(), py::arg("threads") = 0,
      "Renders one frame with a filter: (colour, alpha or None). The settings start from those a new "
      "project gets from the frame's depth range and are changed by record key (as 'fovara-render set'); "
      "options likewise. The result is the same, byte for byte, as fovara-render's for that frame.");

  m.def(
      "write_frame",
      [](const py::object& path, const py::array& colour, const py::object& alpha, const py::object& depth,
         const std::string& compression) {
        FramePixels frame = FrameOf(colour, alpha, depth);
        std::string file = OptionalText(path), warning;
        {
          py::gil_scoped_release release;
          warning = WriteFrame(file, frame, compression);
        }
        if (!warning.empty() && PyErr_WarnEx(PyExc_UserWarning, warning.c_str(), 1) < 0) throw py::error_already_set();
      },
      py::arg("path"), py::arg("colour"), py::arg("alpha") = py::none(), py::arg("depth") = py::none(),
      py::arg("compression") = "fast",
      "Writes a frame as fovara-render writes its frames; the extension names the format.");

  py::class_<RenderReport>(m, "RenderReport", "What a project's render did.")
      .def_readonly("rendered", &RenderReport::rendered)
      .def_readonly("kept", &RenderReport::kept)
      .def_readonly("cancelled", &RenderReport::cancelled)
      .def_readonly("files", &RenderReport::files)
      .def("__repr__", [](const RenderReport& r) {
        return "RenderReport(rendered=" + std::to_string(r.rendered) + ", kept=" + std::to_string(r.kept) +
               ", cancelled=" + (r.cancelled ? "True" : "False") + ")";
      });

  py::class_<ScriptProject, ProjectHolder>(m, "Project", "A project file (.fvz): its frames, keyframes and options.")
      .def_static(
          "open",
          [](const py::object& path) {
            std::string file = OptionalText(path);
            py::gil_scoped_release release;
            return ProjectHolder(ScriptProject::Open(file).release());
          },
          py::arg("path"))
      .def_static(
          "new",
          [](const py::object& image, const std::string& filter, const py::object& depth, const py::object& view) {
            std::string imageFile = OptionalText(image), depthFile = OptionalText(depth), viewName = OptionalText(view);
            py::gil_scoped_release release;
            return ProjectHolder(ScriptProject::New(imageFile, filter, depthFile, viewName).release());
          },
          py::arg("image"), py::arg("filter") = "dof", py::arg("depth") = py::none(), py::arg("view") = py::none(),
          "A project from an image (any frame of a numbered sequence), as 'fovara-render new' makes it.")
      .def_property_readonly("path", &ScriptProject::GetPath)
      .def_property_readonly("filter", &ScriptProject::GetFilterName)
      .def_property_readonly("images", &ScriptProject::GetImages)
      .def_property_readonly("frame_count", &ScriptProject::GetFrameCount)
      .def_property_readonly("modified", &ScriptProject::IsModified)
      .def_property_readonly("keyframes", &ScriptProject::GetKeyframeFrames, "The keyframes' frame numbers.")
      .def(
          "settings", [](const ScriptProject& p, int frame) { return DictOf(p.GetSettings(frame)); },
          py::arg("frame"), "The settings of a frame by record key: its keyframe's, else interpolated.")
      .def(
          "set_keyframe",
          [](ScriptProject& p, int frame, const py::object& settings, const py::kwargs& keys) {
            Record changes = RecordOf(settings, keys);
            py::gil_scoped_release release;
            p.SetKeyframe(frame, changes);
          },
          py::arg("frame"), py::arg("settings") = py::none(),
          "Makes the frame a keyframe from its current settings and changes the given keys.")
      .def(
          "remove_keyframe",
          [](ScriptProject& p, int frame) {
            py::gil_scoped_release release;
            p.RemoveKeyframe(frame);
          },
          py::arg("frame"))
      .def_property_readonly("options", [](const ScriptProject& p) { return DictOf(p.GetOptions()); })
      .def(
          "set_options",
          [](ScriptProject& p, const py::object& options, const py::kwargs& keys) {
            Record changes = RecordOf(options, keys);
            py::gil_scoped_release release;
            p.SetOptions(changes);
          },
          py::arg("options") = py::none())
      .def(
          "save",
          [](ScriptProject& p, const py::object& path) {
            std::string target = OptionalText(path);
            py::gil_scoped_release release;
            p.Save(target);
          },
          py::arg("path") = py::none())
      .def("render", &RenderProject, py::arg("frames") = py::none(), py::arg("output") = py::none(),
           py::arg("format") = py::none(), py::arg("skip_existing") = false, py::arg("compression") = "fast",
           py::arg("threads") = 0, py::arg("progress") = py::none(),
           "Renders frames (None: all; n; or (first, last), from 0) to numbered files, as "
           "'fovara-render render' does. progress(index, count, file, kept) is called after each frame; "
           "returning False stops the render, as Ctrl+C does. Frames already written stay; no frame file "
           "is ever left half written.");
}
