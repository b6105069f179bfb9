// Replaced by the first module of this layer.
namespace kolvaro {}
