// The C side's way to keep the runtime alive while its frame loop is
// paused (a still picture), so that the page may still ask for frames.
mergeInto(LibraryManager.library, {
  paleoviz_keep_runtime__deps: ['$runtimeKeepalivePush'],
  paleoviz_keep_runtime: function () { runtimeKeepalivePush(); },
});
