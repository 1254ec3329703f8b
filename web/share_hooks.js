// The page's ways in to sharing: W and a button for a video of the loop, a PNG dropped
// on the page or chosen from the help screen to open, and the recipe in F12's PNG.
// Their code is huemix-share.js, loaded the first time one of them is used, so that a
// first visit fetches none of it.
if (typeof document !== 'undefined') {  // the page: the drawing worker runs this script too
  (function() {
    var url = (document.currentScript ? document.currentScript.src : 'huemix.js').replace(/[^/]*$/, 'huemix-share.js');
    var loading = null;
    // Calls huemix-share.js's Huemix[name] with the arguments after it; a promise.
    Huemix.share = function(name) {
      var args = Array.prototype.slice.call(arguments, 1);
      if (!loading) {
        loading = new Promise(function(loaded, failed) {
          var script = document.createElement('script');
          script.src = url;
          script.onload = loaded;
          script.onerror = function() {
            loading = null;
            failed(new Error('huemix-share.js could not be loaded'));
          };
          document.head.appendChild(script);
        });
      }
      return loading.then(function() { return Huemix[name].apply(null, args); });
    };
    var say = function(e) { document.getElementById('note').textContent = e.message; };
    // After the picture being drawn, as the page's other keys.
    var video = function() {
      if (Huemix.started) Huemix.act(function() { Huemix.share('saveVideo').catch(say); });
    };
    var open = function(file) {
      if (file && Huemix.started) Huemix.share('openPicture', file).catch(say);
    };
    // Before the page's own keys: W, and Esc while a video is being made (which then
    // neither hides the help nor draws a new picture).
    window.addEventListener('keydown', function(e) {
      if (e.ctrlKey || e.altKey || e.metaKey) return;
      var w = /^w$/i.test(e.key), cancel = e.key === 'Escape' && Huemix.videoBusy === true;
      if (!w && !cancel) return;
      e.preventDefault();
      e.stopPropagation();
      if (e.repeat) return;
      if (w) video();
      else Huemix.cancelVideo();
    }, true);
    var picker = document.getElementById('picture');
    document.getElementById('video').addEventListener('click', function(e) {
      e.stopPropagation();
      video();
    });
    document.getElementById('open').addEventListener('click', function(e) {
      e.stopPropagation();
      picker.click();
    });
    picker.addEventListener('change', function() {
      open(picker.files[0]);
      picker.value = '';
    });
    document.addEventListener('dragover', function(e) { e.preventDefault(); });
    document.addEventListener('drop', function(e) {
      e.preventDefault();
      open(e.dataTransfer.files[0]);
    });
  })();
}
