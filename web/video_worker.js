// The page's video worker, appended to its module's loader (huemix-video.js). One job
// per worker: a recipe to read, or a loop to encode with the browser's VideoEncoder and
// mux with Mediabunny (mediabunny.js, loaded here first). The page ends the worker to
// cancel; nothing leaves it but the finished file.
var videoReady = false;
var videoJobs = [];

// The containers and codecs in the page's order of choice, each with its codec string
// for the size and rate, and the quantizer of each frame.
var VIDEO_FORMATS = {
  avc: {container: 'mp4', mime: 'video/mp4', quantizer: {avc: {quantizer: 26}}, bitsPerPixel: 0.5, codec: function(w, h, fps) {
    // The lowest level of H.264 that holds the frame and the rate in macroblocks.
    var mbs = Math.ceil(w / 16) * Math.ceil(h / 16), levels = [[0x28, 8192, 245760], [0x32, 22080, 589824],
      [0x33, 36864, 983040], [0x34, 36864, 2073600], [0x3C, 139264, 4177920], [0x3D, 139264, 8355840],
      [0x3E, 139264, 16711680]];
    var level = levels.find(function(l) { return mbs <= l[1] && mbs * fps <= l[2]; }) || levels[levels.length - 1];
    return 'avc1.6400' + level[0].toString(16).toUpperCase();
  }},
  vp9: {container: 'webm', mime: 'video/webm', quantizer: {vp9: {quantizer: 30}}, codec: function(w, h) {
    return 'vp09.00.' + (w * h <= 2228224 ? '41' : w * h <= 8912896 ? '51' : '61') + '.08';
  }},
  vp8: {container: 'webm', mime: 'video/webm', quantizer: {vp8: {quantizer: 30}}, bitsPerPixel: 0.35, codec: function() { return 'vp8'; }}
};
var BT601 = {primaries: 'smpte170m', transfer: 'smpte170m', matrix: 'smpte170m', fullRange: false};

// The first of the codecs asked for that this browser encodes at this size: its
// configuration, or null.
var chooseFormat = async function(names, width, height, fps) {
  for (var i = 0; i < names.length; i++) {
    var f = VIDEO_FORMATS[names[i]];
    if (!f) continue;
    // A quantizer for each frame where the encoder takes one, else a bit rate for the
    // size and rate.
    var quantized = {codec: f.codec(width, height, fps), width: width, height: height, framerate: fps,
                     bitrateMode: 'quantizer', latencyMode: 'quality'};
    if (names[i] === 'avc') quantized.avc = {format: 'avc'};
    var rated = Object.assign({}, quantized, {bitrateMode: 'variable', bitrate: Math.round((f.bitsPerPixel || 0.35) * width * height * fps)});
    for (var config of [quantized, rated]) {
      var answer = await VideoEncoder.isConfigSupported(config).catch(function() { return {supported: false}; });
      if (answer.supported) return {name: names[i], format: f, config: config, options: config === quantized ? f.quantizer : {}};
    }
  }
  return null;
};

// The page's job: the loop's indices (width x height), its palettes (256 entries each,
// one per frame), the frame time, the recipe for the comment tag and the codecs to try.
var makeVideo = async function(job) {
  if (typeof VideoEncoder === 'undefined') throw new Error('this browser has no video encoder (WebCodecs)');
  var frames = job.palettes.byteLength / 1024, fps = 1000 / job.intervalMs;
  var chosen = await chooseFormat(job.codecs, job.width, job.height, fps);
  if (!chosen) throw new Error('this browser encodes none of ' + job.codecs.join(', ') + ' at this size');
  postMessage({format: chosen.name, container: chosen.format.container});
  importScripts('mediabunny.js');
  var output = new Mediabunny.Output({
    format: chosen.format.container === 'mp4' ? new Mediabunny.Mp4OutputFormat({fastStart: 'in-memory'})
                                              : new Mediabunny.WebMOutputFormat(),
    target: new Mediabunny.BufferTarget()});
  var source = new Mediabunny.EncodedVideoPacketSource(chosen.name);
  output.addVideoTrack(source, {frameRate: fps});
  output.setMetadataTags({title: 'Huemix', comment: job.recipe});
  await output.start();

  var indices = _WebVideoStart(job.width, job.height);
  if (!indices) throw new Error('not enough memory for the frames');
  HEAPU8.set(new Uint8Array(job.indices), indices);
  var palettes = new Uint32Array(job.palettes), frameBytes = _WebVideoFrameBytes();

  // Packets go to the muxer in the order they come, each after the one before.
  var writing = Promise.resolve(), failure = null, done = 0;
  var encoder = new VideoEncoder({
    output: function(chunk, meta) {
      var packet = Mediabunny.EncodedPacket.fromEncodedChunk(chunk);
      writing = writing.then(function() { return source.add(packet, meta); });
      postMessage({progress: ++done, frames: frames});
    },
    error: function(e) { failure = e; }
  });
  encoder.configure(chosen.config);
  var frameUs = job.intervalMs * 1000;
  for (var t = 0; t < frames && !failure; t++) {
    HEAPU32.set(palettes.subarray(256 * t, 256 * t + 256), _WebVideoPalette() >> 2);
    var planes = _WebVideoFrame();
    var frame = new VideoFrame(HEAPU8.subarray(planes, planes + frameBytes), {format: 'I420',
      codedWidth: job.width, codedHeight: job.height, timestamp: t * frameUs, duration: frameUs, colorSpace: BT601});
    encoder.encode(frame, Object.assign({keyFrame: t === 0}, chosen.options));
    frame.close();
    // A few frames ahead of the encoder at most: its queue holds whole frames.
    while (encoder.encodeQueueSize > 2 && !failure) {
      await new Promise(function(wake) { encoder.addEventListener('dequeue', wake, {once: true}); });
    }
  }
  if (!failure) await encoder.flush().catch(function(e) { failure = failure || e; });
  if (failure) throw failure;
  encoder.close();
  await writing;
  await output.finalize();
  var bytes = output.target.buffer;
  postMessage({file: bytes, mime: chosen.format.mime, extension: chosen.format.container, format: chosen.name},
              [bytes]);
};

// The recipe's text, as the PNG holds it, read by the core.
var readRecipe = function(bytes) {
  var n = Math.min(bytes.length, _WebRecipeCapacity()), at = _WebRecipeBuffer();
  HEAPU8.set(bytes.subarray(0, n), at);
  HEAPU8[at + n] = 0;
  var ok = _WebReadRecipe() === 0, answer = _WebRecipeAnswer(), end = HEAPU8.indexOf(0, answer);
  postMessage({recipe: ok, answer: new TextDecoder().decode(HEAPU8.subarray(answer, end))});
};

var runVideoJob = function(job) {
  if (job.readRecipe) {
    readRecipe(new Uint8Array(job.readRecipe));
    return;
  }
  makeVideo(job).catch(function(e) {
    postMessage({failed: String(e && e.message ? e.message : e)});
  });
};
self.onmessage = function(e) {
  if (videoReady) runVideoJob(e.data);
  else videoJobs.push(e.data);
};
// A module that cannot start (its file damaged, no memory) ends the job with a reason.
Module.onAbort = function(what) {
  postMessage({failed: 'the video module failed: ' + what});
};
Module.onRuntimeInitialized = function() {
  videoReady = true;
  videoJobs.splice(0).forEach(runVideoJob);
};
