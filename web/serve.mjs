// Serves the static site on 127.0.0.1 and says where: any web server would do,
// this one needs nothing but Node.
// Usage: node web/serve.mjs [site directory, default build/web] [port, default 8000; 0: any free one]
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
};

// Starts serving `site`; resolves with the server and its address.
export function serve(site, port = 0) {
  const root = resolve(site);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = join(root, path.endsWith('/') ? path + 'index.html' : path);
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const { size } = await stat(file);
      response.writeHead(200, {
        'Content-Type': kTypes[extname(file)] || 'application/octet-stream',
        'Content-Length': size,
        'Cache-Control': 'no-cache',
      });
      createReadStream(file).pipe(response);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolveStarted) => {
    server.listen(port, '127.0.0.1', () => {
      resolveStarted({ server, address: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [site = 'build/web', port = '8000'] = process.argv.slice(2);
  const { address } = await serve(site, Number(port));
  console.log(`Lanternvale is served at ${address} (Ctrl+C stops it)`);
}
